// The criteria of one filter against a classic event record, in order; the
// first that fails ends the test.
#include "base/classic_record_text.h"
#include "filter/event_filter.h"
#include "filter/wildcard.h"

namespace cmr {

namespace {

// Strings 1..n of the record against the patterns by number, ascending.
bool InsertionStringsMatch(const std::map<uint32_t, std::u16string>& patterns, const EVENTLOGRECORD* record) {
  if (patterns.empty()) return true;
  if (patterns.rbegin()->first > record->NumStrings) return false;
  ClassicRecordText::Strings strings(record);
  std::u16string_view text;
  uint32_t number = 0;
  for (const auto& [wanted, pattern] : patterns) {
    for (; number < wanted; ++number)
      if (!strings.Next(text)) return false;
    if (!WildcardMatchNoCase(pattern, text)) return false;
  }
  return true;
}

}  // namespace

bool CEventFilter::CFilter::MatchClassic(const EVENTLOGRECORD* record, const FilterContext& context) const {
  const uint32_t flags = FilterFlags;
  if (!WildcardMatch(EventLog, context.logName)) return false;
  if ((flags & kFilterTimeFrom) && record->TimeWritten < TimeFrom) return false;
  if ((flags & kFilterTimeTo) && record->TimeWritten > TimeTo) return false;
  if ((flags & kFilterEventIDs) && !IdRangesContain(EventIDs, record->EventID & 0xFFFF)) return false;
  if ((flags & kFilterEventType) && (EventType & record->EventType) == 0) return false;
  if ((flags & kFilterEventCategory) && record->EventCategory != EventCategory) return false;
  ClassicRecordText texts(record);
  if ((flags & kFilterSource) && !WildcardMatchNoCase(Source, texts.SourceName())) return false;
  if ((flags & kFilterComputer) && !WildcardMatchNoCase(Computer, texts.ComputerName())) return false;
  if ((flags & kFilterUser) && !(context.hasUser && WildcardMatchNoCase(User, context.userAccount))) return false;
  if ((flags & kFilterInsertionStrings) && !InsertionStringsMatch(InsertionStrings, record)) return false;
  return true;
}

}  // namespace cmr
