// Records for the filter tests: classic records built as Windows lays them
// out, and rendered Windows Event Log records as system and user values.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "collect/rendered_event_view.h"
#include "filter/event_filter.h"
#include "platform/api/wide.h"
#include "platform/formats/evt_record.h"
#include "tests/support/evt_values.h"

namespace filtertest {

using namespace cmr;

struct ClassicRecord {
  std::vector<uint8_t> bytes;
  const EVENTLOGRECORD* get() const { return reinterpret_cast<const EVENTLOGRECORD*>(bytes.data()); }
};

inline ClassicRecord MakeClassic(const formats::EvtRecordFields& fields) {
  return ClassicRecord{formats::BuildEvtRecord(fields)};
}

inline formats::EvtRecordFields LogonFields() {
  formats::EvtRecordFields f;
  f.source = u"Microsoft-Windows-Security-Auditing";
  f.computer = u"DC01.corp.example";
  f.eventId = 4624;
  f.eventType = EVENTLOG_AUDIT_SUCCESS;
  f.category = 12544;
  f.timeWritten = f.timeGenerated = 1600000000;
  f.strings = {u"S-1-5-18", u"Administrator", u"CORP"};
  return f;
}

// A rendered record built from values; texts live in the object (a deque
// keeps their addresses).
class VistaRecord {
 public:
  VistaRecord() : system_(EvtSystemPropertyIdEND, EVT_VARIANT{}) {}
  VistaRecord& Text(EVT_SYSTEM_PROPERTY_ID id, std::u16string text) {
    Set(id, EvtVarTypeString).StringVal = plat::W(texts_.emplace_back(std::move(text)).c_str());
    return *this;
  }
  VistaRecord& Level(uint8_t level) { return Set(EvtSystemLevel, EvtVarTypeByte).ByteVal = level, *this; }
  VistaRecord& EventId(uint16_t id) { return Set(EvtSystemEventID, EvtVarTypeUInt16).UInt16Val = id, *this; }
  VistaRecord& Keywords(uint64_t k) { return Set(EvtSystemKeywords, EvtVarTypeHexInt64).UInt64Val = k, *this; }
  VistaRecord& Time(uint64_t fileTime) {
    return Set(EvtSystemTimeCreated, EvtVarTypeFileTime).FileTimeVal = fileTime, *this;
  }
  VistaRecord& UnixTime(uint32_t seconds) { return Time(seconds * 10000000ull + 116444736000000000ull); }
  VistaRecord& UserString(std::u16string text) {
    user_.push_back(testsupport::StringValue(texts_.emplace_back(std::move(text)).c_str()));
    return *this;
  }
  // The record as the renderer holds it, seen as the filter sees it.
  VistaRecordView View() {
    event_.Assign(system_, user_);
    return ViewOf(event_);
  }

 private:
  EVT_VARIANT& Set(EVT_SYSTEM_PROPERTY_ID id, EVT_VARIANT_TYPE type) { return system_[id] = testsupport::Typed(type); }
  std::vector<EVT_VARIANT> system_, user_;
  std::deque<std::u16string> texts_;
  RenderedEvent event_;
};

inline FilterContext Context(std::u16string_view logName, const std::u16string* account = nullptr) {
  FilterContext c;
  c.logName = logName;
  c.hasUser = account != nullptr;
  if (account) c.userAccount = *account;
  return c;
}

}  // namespace filtertest
