// The criteria of one filter against a rendered Windows Event Log record, in
// order; the first that fails ends the test.
#include <optional>

#include "base/file_time.h"
#include "filter/event_filter.h"
#include "filter/wildcard.h"

namespace cmr {

namespace {

constexpr uint64_t kAuditFailureKeyword = 0x0010000000000000ull;
constexpr uint64_t kAuditSuccessKeyword = 0x0020000000000000ull;
constexpr uint32_t kAuditFailureLevel = 16;  // the classic EVENTLOG_AUDIT_FAILURE
constexpr uint32_t kAuditSuccessLevel = 8;   // the classic EVENTLOG_AUDIT_SUCCESS

template <class T>
T SystemNumber(const VistaRecordView& record, EVT_SYSTEM_PROPERTY_ID id, EVT_VARIANT_TYPE type, T EVT_VARIANT::*field) {
  const EVT_VARIANT* v = record.SystemValue(id, type);
  return v != nullptr ? v->*field : T{};
}

bool LevelsMatch(const IdRangeList& levels, uint32_t level, uint64_t keywords) {
  if (IdRangesContain(levels, level)) return true;
  if ((keywords & kAuditFailureKeyword) && IdRangesContain(levels, kAuditFailureLevel)) return true;
  return (keywords & kAuditSuccessKeyword) && IdRangesContain(levels, kAuditSuccessLevel);
}

}  // namespace

bool CEventFilter::CFilter::MatchVista(const VistaRecordView& record, const FilterContext& context) const {
  const uint32_t flags = FilterFlags;
  const uint64_t keywords = SystemNumber(record, EvtSystemKeywords, EvtVarTypeHexInt64, &EVT_VARIANT::UInt64Val);
  if (flags & kFilterLevels) {
    uint8_t level = SystemNumber(record, EvtSystemLevel, EvtVarTypeByte, &EVT_VARIANT::ByteVal);
    if (!LevelsMatch(Levels, level, keywords)) return false;
  }
  if (!WildcardMatch(EventLog, context.logName)) return false;
  if (flags & (kFilterTimeFrom | kFilterTimeTo)) {
    // A time outside the 32-bit range fails every active bound.
    std::optional<uint32_t> time = cmr::FileTimeToUnixSeconds32(record.TimeCreated());
    if (!time) return false;
    if ((flags & kFilterTimeFrom) && *time < TimeFrom) return false;
    if ((flags & kFilterTimeTo) && *time > TimeTo) return false;
  }
  if ((flags & kFilterEventIDs) &&
      !IdRangesContain(EventIDs, SystemNumber(record, EvtSystemEventID, EvtVarTypeUInt16, &EVT_VARIANT::UInt16Val)))
    return false;
  if ((flags & kFilterKeywords) && (keywords & Keywords) == 0) return false;
  if ((flags & kFilterEventCategory) &&
      SystemNumber(record, EvtSystemTask, EvtVarTypeUInt16, &EVT_VARIANT::UInt16Val) != EventCategory)
    return false;
  if ((flags & kFilterSource) && !WildcardMatchNoCase(Source, record.ProviderName())) return false;
  if ((flags & kFilterComputer) && !WildcardMatchNoCase(Computer, record.Computer())) return false;
  if ((flags & kFilterUser) && !(context.hasUser && WildcardMatchNoCase(User, context.userAccount))) return false;
  if ((flags & kFilterInsertionStrings) && !InsertionStrings.empty()) {
    if (InsertionStrings.rbegin()->first > record.userCount) return false;
    for (const auto& [number, pattern] : InsertionStrings)
      if (!WildcardMatchNoCase(pattern, record.UserValueText(number - 1))) return false;
  }
  return true;
}

}  // namespace cmr
