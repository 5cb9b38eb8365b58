#include "platform/formats/evtx_value_plan.h"

#include <forward_list>
#include <functional>

#include "platform/formats/evtx_system.h"

namespace formats {
namespace {

// The index of `v` among the event's own values, or kEvtxNone.
uint32_t OwnIndex(const EvtxEvent& event, const EvtxValue* v) {
  std::less<const EvtxValue*> before;
  const EvtxValue* first = event.values.data();
  if (before(v, first) || !before(v, first + event.values.size())) return kEvtxNone;
  return static_cast<uint32_t>(v - first);
}

// The source of a value of the event; false when it is no instance value
// and not fixed either.
bool SourceOf(const EvtxEvent& event, std::span<const uint32_t> valueIds, const EvtxValue* v, EvtxValueSource& out) {
  if (!v) return false;
  uint32_t own = OwnIndex(event, v);
  if (own == kEvtxNone) {
    out.constant = v;
    return true;
  }
  if (own >= valueIds.size() || valueIds[own] == kEvtxNone) return false;
  out.value = valueIds[own];
  return true;
}

bool PlanSystem(const EvtxEvent& event, std::span<const uint32_t> valueIds, EvtxValuePlan& plan) {
  EvtxSystemRefs refs;
  GetEvtxSystemRefs(event, refs);
  for (size_t id = 0; id < plan.system.size(); ++id) {
    EvtxValueSource& source = plan.system[id];
    if (!SourceOf(event, valueIds, refs.contents[id], source)) return false;
    // A fixed value that changed type is kept converted.
    if (source.constant && refs.values[id] != refs.contents[id])
      source.constant = &plan.constants.emplace_back(*refs.values[id]);
  }
  return true;
}

bool PlanUser(const EvtxEvent& event, std::span<const uint32_t> valueIds, EvtxValuePlan& plan) {
  std::vector<const EvtxValue*> values;
  std::forward_list<EvtxValue> texts;
  GetEvtxUserValueRefs(event, values, texts);
  if (!texts.empty()) return false;
  plan.user.resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    if (!SourceOf(event, valueIds, values[i], plan.user[i])) return false;
  }
  return true;
}

}  // namespace

void BuildEvtxValuePlan(const EvtxEvent& event, std::span<const uint32_t> valueIds, EvtxValuePlan& plan) {
  plan = {};
  plan.direct = PlanSystem(event, valueIds, plan) && PlanUser(event, valueIds, plan);
}

}  // namespace formats
