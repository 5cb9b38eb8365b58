// Sample events of the benchmarks: one event's facts, made into a classic
// record and into the System and user values of a rendered event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/evt.h"
#include "platform/formats/evt_record.h"

namespace benchsupport {

constexpr uint64_t kAuditSuccess = 0x8020000000000000ull;
constexpr uint64_t kAuditFailure = 0x8010000000000000ull;

struct SampleEvent {
  const char16_t* source;
  const char16_t* computer;
  uint32_t eventId;
  uint16_t type;
  uint16_t category;
  uint8_t level;
  uint64_t keywords;
  std::vector<std::u16string> strings;
};

// The i-th record of a run is written 997 seconds after the one before.
inline uint32_t SampleUnixTime(size_t i) { return static_cast<uint32_t>(1200000000 + i * 997); }
inline uint64_t SampleFileTime(size_t i) {
  return (1200000000ull + i * 997) * 10000000ull + 116444736000000000ull;
}

// The classic record of sample s as the i-th record of a log.
inline std::vector<uint8_t> ClassicRecord(const SampleEvent& s, size_t i) {
  formats::EvtRecordFields f;
  f.source = s.source;
  f.computer = s.computer;
  f.recordNumber = static_cast<uint32_t>(100000 + i);
  f.eventId = s.eventId;
  f.eventType = s.type;
  f.category = s.category;
  f.timeWritten = f.timeGenerated = SampleUnixTime(i);
  f.strings = s.strings;
  return formats::BuildEvtRecord(f);
}

// Sets the System value id to type and returns it for its payload.
inline EVT_VARIANT& SetSystemValue(std::vector<EVT_VARIANT>& system, EVT_SYSTEM_PROPERTY_ID id, EVT_VARIANT_TYPE type) {
  system[id].Type = type;
  return system[id];
}

// The System values of sample s: provider, computer, ID, level, task,
// keywords and creation time; the others are null.
inline std::vector<EVT_VARIANT> SystemValues(const SampleEvent& s, uint64_t timeCreated) {
  std::vector<EVT_VARIANT> system(EvtSystemPropertyIdEND, EVT_VARIANT{});
  SetSystemValue(system, EvtSystemProviderName, EvtVarTypeString).StringVal = s.source;
  SetSystemValue(system, EvtSystemComputer, EvtVarTypeString).StringVal = s.computer;
  SetSystemValue(system, EvtSystemEventID, EvtVarTypeUInt16).UInt16Val = static_cast<uint16_t>(s.eventId);
  SetSystemValue(system, EvtSystemLevel, EvtVarTypeByte).ByteVal = s.level;
  SetSystemValue(system, EvtSystemTask, EvtVarTypeUInt16).UInt16Val = s.category;
  SetSystemValue(system, EvtSystemKeywords, EvtVarTypeHexInt64).UInt64Val = s.keywords;
  SetSystemValue(system, EvtSystemTimeCreated, EvtVarTypeFileTime).FileTimeVal = timeCreated;
  return system;
}

// The user values of sample s: its strings, which must outlive the values.
inline std::vector<EVT_VARIANT> StringValues(const SampleEvent& s) {
  std::vector<EVT_VARIANT> values;
  for (const std::u16string& text : s.strings) {
    EVT_VARIANT v{};
    v.Type = EvtVarTypeString;
    v.StringVal = text.c_str();
    values.push_back(v);
  }
  return values;
}

}  // namespace benchsupport
