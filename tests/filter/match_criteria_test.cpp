// The criteria of one filter against classic and rendered records.
#include <gtest/gtest.h>

#include "filter/event_filter.h"
#include "filter_test_records.h"

using namespace filtertest;

namespace {

const std::u16string kAdmin = u"CORP\\Administrator";

class ClassicCriteria : public ::testing::Test {
 protected:
  bool Accepts(const formats::EvtRecordFields& fields, const std::u16string* user = &kAdmin,
               std::u16string_view log = u"Security") {
    ClassicRecord r = MakeClassic(fields);
    return filter.MatchClassic(r.get(), Context(log, user));
  }
  CEventFilter::CFilter filter;
};

TEST_F(ClassicCriteria, NoFlagsAcceptsAnyRecordOfAnyLog) {
  EXPECT_TRUE(Accepts(LogonFields(), nullptr, u"Application"));
}

TEST_F(ClassicCriteria, LogNameIsTestedWithoutItsFlagAndCaseSensitively) {
  filter.EventLog = u"Security";
  EXPECT_TRUE(Accepts(LogonFields()));
  EXPECT_FALSE(Accepts(LogonFields(), &kAdmin, u"security"));
}

TEST_F(ClassicCriteria, SourceAndComputerIgnoreCase) {
  filter.FilterFlags = kFilterSource | kFilterComputer;
  filter.Source = u"microsoft*";
  filter.Computer = u"dc??.*";
  EXPECT_TRUE(Accepts(LogonFields()));
  auto f = LogonFields();
  f.computer = u"WS01";
  EXPECT_FALSE(Accepts(f));
}

TEST_F(ClassicCriteria, EventIdUsesTheLow16Bits) {
  filter.FilterFlags = kFilterEventIDs;
  ParseIdRanges(u"4096", filter.EventIDs);
  auto f = LogonFields();
  f.eventId = 0x40001000;
  EXPECT_TRUE(Accepts(f));
  f.eventId = 0x40001001;
  EXPECT_FALSE(Accepts(f));
}

TEST_F(ClassicCriteria, EventTypeIsAMask) {
  filter.FilterFlags = kFilterEventType;
  filter.EventType = EVENTLOG_AUDIT_FAILURE | EVENTLOG_ERROR_TYPE;
  auto f = LogonFields();
  f.eventType = EVENTLOG_AUDIT_FAILURE;
  EXPECT_TRUE(Accepts(f));
  f.eventType = EVENTLOG_AUDIT_SUCCESS;
  EXPECT_FALSE(Accepts(f));
  f.eventType = 0;
  filter.EventType = 0xFFFF;
  EXPECT_FALSE(Accepts(f)) << "a record of type 0 never passes";
}

TEST_F(ClassicCriteria, TimeBoundsAndCategory) {
  filter.FilterFlags = kFilterTimeFrom | kFilterTimeTo | kFilterEventCategory;
  filter.TimeFrom = 1600000000;
  filter.TimeTo = 1600000000;
  filter.EventCategory = 12544;
  EXPECT_TRUE(Accepts(LogonFields()));
  auto f = LogonFields();
  f.timeWritten = 1600000001;
  EXPECT_FALSE(Accepts(f));
  f.timeWritten = 1599999999;
  EXPECT_FALSE(Accepts(f));
  filter.EventCategory = 1;
  EXPECT_FALSE(Accepts(LogonFields()));
}

TEST_F(ClassicCriteria, AMissingUserFailsTheUserTest) {
  filter.FilterFlags = kFilterUser;
  EXPECT_TRUE(Accepts(LogonFields()));
  EXPECT_FALSE(Accepts(LogonFields(), nullptr));
  filter.User = u"corp\\admin*";
  EXPECT_TRUE(Accepts(LogonFields()));
  filter.User = u"*\\guest";
  EXPECT_FALSE(Accepts(LogonFields()));
}

TEST_F(ClassicCriteria, InsertionStringsByNumber) {
  filter.FilterFlags = kFilterInsertionStrings;
  filter.InsertionStrings = {{2, u"admin*"}};
  EXPECT_TRUE(Accepts(LogonFields()));
  auto f = LogonFields();
  f.strings = {u"S-1-5-18"};
  EXPECT_FALSE(Accepts(f)) << "string 2 beyond NumStrings";
  filter.InsertionStrings = {{1, u"S-1-5-*"}, {3, u"corp"}};
  EXPECT_TRUE(Accepts(LogonFields()));
  filter.InsertionStrings[3] = u"other";
  EXPECT_FALSE(Accepts(LogonFields()));
  filter.InsertionStrings.clear();
  EXPECT_TRUE(Accepts(f)) << "an empty map passes";
}

TEST_F(ClassicCriteria, ADamagedRecordNeverReadsOutsideItself) {
  auto f = LogonFields();
  ClassicRecord r = MakeClassic(f);
  auto* header = reinterpret_cast<EVENTLOGRECORD*>(r.bytes.data());
  header->NumStrings = 60000;  // more strings than the record holds
  filter.FilterFlags = kFilterInsertionStrings;
  filter.InsertionStrings = {{50000, u"*"}};
  EXPECT_FALSE(filter.MatchClassic(r.get(), Context(u"Security")));
  header->StringOffset = header->Length + 100;
  filter.InsertionStrings = {{1, u"*"}};
  EXPECT_FALSE(filter.MatchClassic(r.get(), Context(u"Security")));
}

class VistaCriteria : public ::testing::Test {
 protected:
  VistaCriteria() {
    record.Text(EvtSystemProviderName, u"Microsoft-Windows-Security-Auditing")
        .Text(EvtSystemComputer, u"DC01.corp.example")
        .EventId(4625)
        .Level(0)
        .Task(12544)
        .Keywords(0x8010000000000000ull)
        .UnixTime(1600000000)
        .UserString(u"S-1-5-18")
        .UserString(u"Administrator");
  }
  bool Accepts(const std::u16string* user = &kAdmin) {
    return filter.MatchVista(record.View(), Context(u"Security", user));
  }
  VistaRecord record;
  CEventFilter::CFilter filter;
};

TEST_F(VistaCriteria, LevelsWithTheAuditBits) {
  filter.FilterFlags = kFilterLevels;
  ParseIdRanges(u"16", filter.Levels);
  EXPECT_TRUE(Accepts()) << "audit failure keyword counts as level 16";
  ParseIdRanges(u"8", filter.Levels);
  EXPECT_FALSE(Accepts());
  record.Keywords(0x8020000000000000ull);
  EXPECT_TRUE(Accepts()) << "audit success keyword counts as level 8";
  ParseIdRanges(u"2", filter.Levels);
  EXPECT_FALSE(Accepts());
  record.Level(2);
  EXPECT_TRUE(Accepts());
  filter.Levels.clear();
  EXPECT_FALSE(Accepts()) << "an empty Levels list fails";
}

TEST_F(VistaCriteria, KeywordsAreAMaskOverAll64Bits) {
  filter.FilterFlags = kFilterKeywords;
  filter.Keywords = 0x8000000000000000ull;
  EXPECT_TRUE(Accepts());
  filter.Keywords = 0x4000000000000000ull;
  EXPECT_FALSE(Accepts());
}

TEST_F(VistaCriteria, EventTypeIsNotTested) {
  filter.FilterFlags = kFilterEventType;
  filter.EventType = EVENTLOG_ERROR_TYPE;
  EXPECT_TRUE(Accepts());
}

TEST_F(VistaCriteria, SystemValuesOfAnotherTypeCountAsZeroOrEmpty) {
  filter.FilterFlags = kFilterEventIDs | kFilterSource;
  ParseIdRanges(u"4625", filter.EventIDs);
  filter.Source = u"*security*";
  EXPECT_TRUE(Accepts());
  record.Text(EvtSystemEventID, u"4625");
  EXPECT_FALSE(Accepts());
  ParseIdRanges(u"0", filter.EventIDs);
  EXPECT_TRUE(Accepts());
  record.Level(0);
  record.Text(EvtSystemProviderName, u"").Task(1);
  EXPECT_FALSE(Accepts());
}

TEST_F(VistaCriteria, TimesOutsideThe32BitRangeFailEveryActiveBound) {
  filter.FilterFlags = kFilterTimeFrom;
  filter.TimeFrom = 0;
  EXPECT_TRUE(Accepts());
  record.Time(116444736000000000ull - 1);  // before 1970
  EXPECT_FALSE(Accepts());
  record.Time(116444736000000000ull + (1ull << 32) * 10000000ull);
  EXPECT_FALSE(Accepts());
  filter.FilterFlags = kFilterTimeTo;
  filter.TimeTo = UINT32_MAX;
  EXPECT_FALSE(Accepts());
  filter.FilterFlags = 0;
  EXPECT_TRUE(Accepts()) << "without a time bound the time is not looked at";
}

TEST_F(VistaCriteria, TaskComputerUserAndUserValues) {
  filter.FilterFlags = kFilterEventCategory | kFilterComputer | kFilterUser | kFilterInsertionStrings;
  filter.EventCategory = 12544;
  filter.Computer = u"DC01*";
  filter.InsertionStrings = {{2, u"ADMIN*"}};
  EXPECT_TRUE(Accepts());
  EXPECT_FALSE(Accepts(nullptr));
  filter.InsertionStrings = {{3, u"*"}};
  EXPECT_FALSE(Accepts()) << "user value 3 beyond the count";
}

}  // namespace
