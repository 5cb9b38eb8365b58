// Records for the filter tests: classic records built as Windows lays them
// out, and rendered Windows Event Log records as system and user values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "filter/event_filter.h"
#include "platform/formats/evt_record.h"

namespace filtertest {

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

inline std::u16string TestValueText(const EVT_VARIANT& v) {
  if (v.Type == EvtVarTypeString) return v.StringVal ? v.StringVal : u"";
  if (v.Type == EvtVarTypeUInt32) return std::u16string(u"n") + char16_t(u'0' + v.UInt32Val % 10);
  return u"";
}

// A rendered record whose texts live in the object.
class VistaRecord {
 public:
  VistaRecord() : system_(EvtSystemPropertyIdEND) {
    for (EVT_VARIANT& v : system_) v.Type = EvtVarTypeNull;
  }
  VistaRecord& Text(EVT_SYSTEM_PROPERTY_ID id, std::u16string text) {
    texts_.push_back(std::move(text));
    return Set(id, EvtVarTypeString, [&](EVT_VARIANT& v) { v.StringVal = nullptr; });
  }
  VistaRecord& Level(uint8_t level) { return Set(EvtSystemLevel, EvtVarTypeByte, [&](EVT_VARIANT& v) { v.ByteVal = level; }); }
  VistaRecord& Task(uint16_t task) { return Set(EvtSystemTask, EvtVarTypeUInt16, [&](EVT_VARIANT& v) { v.UInt16Val = task; }); }
  VistaRecord& EventId(uint16_t id) { return Set(EvtSystemEventID, EvtVarTypeUInt16, [&](EVT_VARIANT& v) { v.UInt16Val = id; }); }
  VistaRecord& Keywords(uint64_t k) {
    return Set(EvtSystemKeywords, EvtVarTypeHexInt64, [&](EVT_VARIANT& v) { v.UInt64Val = k; });
  }
  VistaRecord& Time(uint64_t fileTime) {
    return Set(EvtSystemTimeCreated, EvtVarTypeFileTime, [&](EVT_VARIANT& v) { v.FileTimeVal = fileTime; });
  }
  VistaRecord& UnixTime(uint32_t seconds) { return Time(seconds * 10000000ull + 116444736000000000ull); }
  VistaRecord& UserString(std::u16string text) {
    texts_.push_back(std::move(text));
    EVT_VARIANT v{};
    v.Type = EvtVarTypeString;
    userTextIndex_.push_back(texts_.size() - 1);
    user_.push_back(v);
    return *this;
  }
  VistaRecordView View() {
    // Point string values at their texts now that the containers no longer grow.
    for (size_t i = 0; i < system_.size(); ++i)
      if (systemTextIndex_[i] != kNoText) system_[i].StringVal = texts_[systemTextIndex_[i]].c_str();
    for (size_t i = 0; i < user_.size(); ++i) user_[i].StringVal = texts_[userTextIndex_[i]].c_str();
    return VistaRecordView{system_.data(), static_cast<DWORD>(system_.size()), user_.data(),
                           static_cast<DWORD>(user_.size()), &TestValueText};
  }

 private:
  static constexpr size_t kNoText = SIZE_MAX;
  template <class F>
  VistaRecord& Set(EVT_SYSTEM_PROPERTY_ID id, EVT_VARIANT_TYPE type, F fill) {
    EVT_VARIANT& v = system_[id];
    v = EVT_VARIANT{};
    v.Type = type;
    fill(v);
    systemTextIndex_[id] = type == EvtVarTypeString ? texts_.size() - 1 : kNoText;
    return *this;
  }
  std::vector<EVT_VARIANT> system_;
  std::vector<EVT_VARIANT> user_;
  std::vector<std::u16string> texts_;
  std::vector<size_t> systemTextIndex_ = std::vector<size_t>(EvtSystemPropertyIdEND, kNoText);
  std::vector<size_t> userTextIndex_;
};

inline FilterContext Context(std::u16string_view logName, const std::u16string* account = nullptr) {
  FilterContext c;
  c.logName = logName;
  c.hasUser = account != nullptr;
  if (account) c.userAccount = *account;
  return c;
}

}  // namespace filtertest
