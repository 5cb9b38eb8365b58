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

// Events as Windows logs them: logons, a failed logon, a service state
// change, an object access and an application error.
inline std::vector<SampleEvent> RealisticSamples() {
  return {
      {u"Microsoft-Windows-Security-Auditing",
       u"DC01.corp.example",
       4624,
       8,
       12544,
       0,
       kAuditSuccess,
       {u"S-1-5-18",
        u"DC01$",
        u"CORP",
        u"0x3e7",
        u"S-1-5-21-1-2-3-1104",
        u"alice",
        u"CORP",
        u"0x8d2f1a",
        u"3",
        u"Kerberos",
        u"Kerberos",
        u"",
        u"{00000000-0000-0000-0000-000000000000}",
        u"-",
        u"-",
        u"0",
        u"0x0",
        u"-",
        u"10.0.0.31",
        u"50622",
        u"%%1833"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"WS17.corp.example",
       4625,
       16,
       12544,
       0,
       kAuditSuccess,
       {u"S-1-0-0",    u"-",      u"-",          u"0x0", u"S-1-0-0",  u"bob",       u"CORP",
        u"0xc000006d", u"%%2313", u"0xc000006a", u"3",   u"NtLmSsp ", u"NTLM",      u"WS17",
        u"-",          u"-",      u"0",          u"0x0", u"-",        u"10.0.0.77", u"0"}},
      {u"Service Control Manager",
       u"APP01.corp.example",
       7036,
       4,
       0,
       0,
       kAuditSuccess,
       {u"Windows Update", u"running"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"FS01.corp.example",
       4663,
       8,
       12800,
       0,
       kAuditSuccess,
       {u"S-1-5-21-1-2-3-1107", u"dave", u"CORP", u"0x5a1f", u"Security", u"File",
        u"C:\\Shares\\Finance\\Q3 report: draft #2.xlsx", u"0x1f4", u"%%4416", u"0x1", u"0x4",
        u"C:\\Windows\\explorer.exe"}},
      {u"MSSQLSERVER",
       u"SQL01.corp.example",
       17806,
       1,
       4,
       0,
       kAuditSuccess,
       {u"0x8009030c", u"14", u"The logon attempt failed", u"10.0.0.31"}},
  };
}

// The i-th record of a run is written 997 seconds after the one before.
inline uint32_t SampleUnixTime(size_t i) { return static_cast<uint32_t>(1200000000 + i * 997); }
inline uint64_t SampleFileTime(size_t i) { return (1200000000ull + i * 997) * 10000000ull + 116444736000000000ull; }

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
