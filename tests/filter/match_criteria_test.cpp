// The criteria of one filter against classic and rendered records.
#include <gtest/gtest.h>

#include "filter_test_records.h"

using namespace cmr;

using namespace filtertest;

namespace {

const std::u16string kAdmin = u"CORP\\Administrator";

bool Accepts(const CEventFilter::CFilter& f, const formats::EvtRecordFields& fields,
             const std::u16string* user = &kAdmin, std::u16string_view log = u"Security") {
  return f.MatchClassic(MakeClassic(fields).get(), Context(log, user));
}

TEST(ClassicCriteria, NamesAndTheirCaseRules) {
  CEventFilter::CFilter f;
  f.EventLog = u"Security";  // tested whatever the flags say, case-sensitive
  EXPECT_TRUE(Accepts(f, LogonFields()));
  EXPECT_FALSE(Accepts(f, LogonFields(), &kAdmin, u"security"));
  f.FilterFlags = kFilterSource | kFilterComputer | kFilterUser;
  f.Source = u"microsoft*";
  f.Computer = u"dc??.*";
  f.User = u"corp\\admin*";
  EXPECT_TRUE(Accepts(f, LogonFields()));
  EXPECT_FALSE(Accepts(f, LogonFields(), nullptr)) << "a missing user fails the User test";
  auto other = LogonFields();
  other.computer = u"WS01";
  EXPECT_FALSE(Accepts(f, other));
}

TEST(ClassicCriteria, NumbersAndMasks) {
  CEventFilter::CFilter f;
  f.FilterFlags = kFilterEventIDs | kFilterEventType | kFilterTimeFrom | kFilterEventCategory;
  ParseIdRanges(u"4096", f.EventIDs);
  f.EventType = EVENTLOG_AUDIT_FAILURE | EVENTLOG_ERROR_TYPE;
  f.TimeFrom = 1600000000;
  f.EventCategory = 12544;
  auto r = LogonFields();
  r.eventId = 0x40001000;  // tested as 4096
  r.eventType = EVENTLOG_AUDIT_FAILURE;
  EXPECT_TRUE(Accepts(f, r));
  r.timeWritten = 1599999999;
  EXPECT_FALSE(Accepts(f, r));
  r.timeWritten = 1600000000;
  r.eventType = 0;
  EXPECT_FALSE(Accepts(f, r)) << "a record of type 0 never passes";
}

TEST(ClassicCriteria, InsertionStringsByNumber) {
  CEventFilter::CFilter f;
  f.FilterFlags = kFilterInsertionStrings;
  f.InsertionStrings = {{2, u"admin*"}};
  EXPECT_TRUE(Accepts(f, LogonFields()));
  auto one = LogonFields();
  one.strings = {u"S-1-5-18"};
  EXPECT_FALSE(Accepts(f, one)) << "string 2 beyond NumStrings";
  // A damaged record: more strings claimed than it holds, never read past its end.
  ClassicRecord r = MakeClassic(LogonFields());
  reinterpret_cast<EVENTLOGRECORD*>(r.bytes.data())->NumStrings = 60000;
  f.InsertionStrings = {{50000, u"*"}};
  EXPECT_FALSE(f.MatchClassic(r.get(), Context(u"Security")));
}

class VistaCriteria : public ::testing::Test {
 protected:
  VistaCriteria() {
    record.Text(EvtSystemProviderName, u"Microsoft-Windows-Security-Auditing")
        .EventId(4625)
        .Level(0)
        .Keywords(0x8010000000000000ull)
        .UnixTime(1600000000)
        .UserString(u"S-1-5-18")
        .UserString(u"Administrator");
  }
  bool Accepts() { return filter.MatchVista(record.View(), Context(u"Security", &kAdmin)); }
  VistaRecord record;
  CEventFilter::CFilter filter;
};

TEST_F(VistaCriteria, LevelsCountTheAuditKeywordsAs16And8) {
  filter.FilterFlags = kFilterLevels;
  ParseIdRanges(u"16", filter.Levels);
  EXPECT_TRUE(Accepts());
  ParseIdRanges(u"8", filter.Levels);
  EXPECT_FALSE(Accepts());
  record.Keywords(0x8020000000000000ull);
  EXPECT_TRUE(Accepts());
  ParseIdRanges(u"2", filter.Levels);
  EXPECT_FALSE(Accepts());
  record.Level(2);
  EXPECT_TRUE(Accepts());
}

TEST_F(VistaCriteria, KeywordsTypesAndUserValues) {
  filter.FilterFlags = kFilterKeywords | kFilterEventType | kFilterEventIDs | kFilterInsertionStrings;
  filter.Keywords = 0x8000000000000000ull;
  filter.EventType = EVENTLOG_ERROR_TYPE;  // not tested on rendered records
  ParseIdRanges(u"4625", filter.EventIDs);
  filter.InsertionStrings = {{2, u"ADMIN*"}};
  EXPECT_TRUE(Accepts());
  record.Text(EvtSystemEventID, u"4625");
  EXPECT_FALSE(Accepts()) << "an EventID of another type counts as 0";
  record.EventId(4625);
  filter.InsertionStrings = {{3, u"*"}};
  EXPECT_FALSE(Accepts()) << "user value 3 beyond the count";
  filter.FilterFlags = kFilterKeywords;
  filter.Keywords = 0x4000000000000000ull;
  EXPECT_FALSE(Accepts());
}

TEST_F(VistaCriteria, TimesOutsideThe32BitRangeFailEveryActiveBound) {
  filter.FilterFlags = kFilterTimeFrom;
  EXPECT_TRUE(Accepts());
  record.Time(116444736000000000ull - 1);
  EXPECT_FALSE(Accepts());
  record.Time(116444736000000000ull + (1ull << 32) * 10000000ull);
  EXPECT_FALSE(Accepts());
  filter.FilterFlags = kFilterTimeTo;
  filter.TimeTo = UINT32_MAX;
  EXPECT_FALSE(Accepts());
  filter.FilterFlags = 0;
  EXPECT_TRUE(Accepts());
}

}  // namespace
