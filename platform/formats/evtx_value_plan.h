// Where the values that EvtRender gives (the System properties and the user
// values) come from in the events of one template instance shape: a
// substitution value of the instance (or of an instance nested in one of its
// values), or a value fixed by the template. It is worked out once from one
// event parsed into a tree; every other event of the same templates with the
// same value types has the same tree, so its values are read straight from
// its substitution values.
#pragma once

#include <array>
#include <deque>
#include <span>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace formats {

struct EvtxValueSource {
  const EvtxValue* constant = nullptr;  // the value, when the template fixes it
  uint32_t value = kEvtxNone;           // else the instance value it is
};

struct EvtxValuePlan {
  // False when some value is mixed text (or not known to come from an
  // instance value): such events are read through their trees.
  bool direct = false;
  std::array<EvtxValueSource, EvtSystemPropertyIdEND> system;
  std::vector<EvtxValueSource> user;
  std::deque<EvtxValue> constants;  // fixed values converted to a property's type
};

// The plan of the events shaped like `event`, which was parsed from a
// template instance (and the instances nested in its values); `valueIds[i]`
// is the instance value that event.values[i] holds, kEvtxNone when unknown.
void BuildEvtxValuePlan(const EvtxEvent& event, std::span<const uint32_t> valueIds, EvtxValuePlan& plan);

}  // namespace formats
