// What a renderer needs from an event: the System properties with the types
// EvtRender gives them, and the user values (EventData / UserData leaves).
#pragma once

#include <array>
#include <forward_list>
#include <string>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace formats {

struct EvtxSystem {
  // Indexed by EVT_SYSTEM_PROPERTY_ID, each converted to the type EvtRender
  // uses: ProviderName String, ProviderGuid Guid, EventID UInt16, Qualifiers
  // UInt16, Level Byte, Task UInt16, Opcode Byte, Keywords HexInt64,
  // TimeCreated FileTime, EventRecordId UInt64, ActivityID/RelatedActivityID
  // Guid, ProcessID/ThreadID UInt32, Channel/Computer String, UserID Sid,
  // Version Byte. A property missing from the event is Null.
  std::array<EvtxValue, EvtSystemPropertyIdEND> values;
  EvtxValue eventSourceName;  // Provider EventSourceName (String) or Null

  const EvtxValue& operator[](EVT_SYSTEM_PROPERTY_ID id) const { return values[id]; }
};

EvtxSystem GetEvtxSystem(const EvtxEvent& event);

// The type EvtRender gives a System property.
EVT_VARIANT_TYPE EvtxSystemPropertyType(EVT_SYSTEM_PROPERTY_ID id);

// The same properties without copying them: each points at the event's own
// value, at a Null value, or at `converted` when the property's type had to
// change. Valid while the event and this object live (not copyable).
struct EvtxSystemRefs {
  std::array<const EvtxValue*, EvtSystemPropertyIdEND> values{};
  // What each property was taken from before its type changed: the event's
  // own value, a Null value, or null when the content was mixed text.
  std::array<const EvtxValue*, EvtSystemPropertyIdEND> contents{};
  const EvtxValue* eventSourceName = nullptr;
  std::forward_list<EvtxValue> converted;

  EvtxSystemRefs() = default;
  EvtxSystemRefs(const EvtxSystemRefs&) = delete;
  EvtxSystemRefs& operator=(const EvtxSystemRefs&) = delete;
  const EvtxValue& operator[](EVT_SYSTEM_PROPERTY_ID id) const { return *values[id]; }
};

void GetEvtxSystemRefs(const EvtxEvent& event, EvtxSystemRefs& out);

// One user value: "Data" elements of EventData (name = their Name attribute,
// may be empty), "Binary" of EventData, or the leaf elements and attributes
// of UserData in document order (name = element or attribute name). The value
// keeps its real type; an empty element is Null.
struct EvtxUserValue {
  std::u16string name;
  EvtxValue value;
};

std::vector<EvtxUserValue> GetEvtxUserValues(const EvtxEvent& event);

// The same values in the same order, without names and without copying: each
// points at the event's own value or, for mixed content, at its text added to
// `texts`. Valid while the event and `texts` live.
void GetEvtxUserValueRefs(const EvtxEvent& event, std::vector<const EvtxValue*>& values,
                          std::forward_list<EvtxValue>& texts);

}  // namespace formats
