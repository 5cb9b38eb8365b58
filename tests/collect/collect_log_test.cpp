// A classic log collected through ITask::Run: positions, event files,
// repeated runs, backups and failures.
#include "filter/event_filter.h"
#include "filter/id_ranges.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

class CollectLog : public CollectFixture {};

TEST_F(CollectLog, FirstRunCollectsEverythingAndTheNextOnlyWhatIsNew) {
  MakeLog(u"Custom");
  Append(u"Custom", 1, 5);
  Configure(u"Custom");
  ASSERT_EQ(Run(), S_OK);
  cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, 0);
  EXPECT_EQ(result.EventFileName, u"WORKSTATION1_Custom_1_4d7c6d01_5_4d7c6d05.adevt");
  EXPECT_EQ(Collected(), Range(1, 5));
  EXPECT_EQ(result.Warning, u"");

  AdvancePosition();
  ASSERT_EQ(Run(), S_OK);  // nothing new: no file, no name, the work file gone
  result = ReadConfig();
  EXPECT_EQ(result.EventFileName, u"");
  EXPECT_TRUE(result.LastEventFound);
  EXPECT_EQ(EventFiles().size(), 1u);

  Append(u"Custom", 6, 3);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(6, 8));
}

TEST_F(CollectLog, SeekLastFirstRunOnAnEmptyLogTakesTheSpecialPosition) {
  MakeLog(u"Custom");
  Configure(u"Custom", 0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // 1:1, the name tells the caller; no record in it
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_1_1_1_1.adevt");
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(u"Custom", 1, 2);
  ASSERT_EQ(Run(), S_OK);  // from the beginning
  EXPECT_EQ(Collected(), Range(1, 2));
}

TEST_F(CollectLog, SeekLastFirstRunStartsAfterTheNewestRecord) {
  MakeLog(u"Custom");
  Configure(u"Custom", 0, 0, true);
  Append(u"Custom", 1, 4);
  ASSERT_EQ(Run(), S_OK);  // the newest record's position, an empty file
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_4_4d7c6d04_4_4d7c6d04.adevt");
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(u"Custom", 5, 2);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(5, 6));
}

TEST_F(CollectLog, StoredPositionNotFoundReadsFromTheOldestAndWarns) {
  MakeLog(u"Custom");
  Append(u"Custom", 1, 3);
  struct Case {
    uint32_t record, time;
  } cases[] = {{2, 12345}, {99, 1300000099}};  // other time; record number not in the log (87)
  for (const Case& c : cases) {
    Configure(u"Custom", c.record, c.time);
    ASSERT_EQ(Run(), S_OK);
    const cmr::CTaskEventLog result = ReadConfig();
    EXPECT_FALSE(result.LastEventFound);
    EXPECT_EQ(Collected(), Range(1, 3));
    EXPECT_NE(result.Warning.find(u"Custom log overwrites occurred"), std::u16string::npos);
    EXPECT_TRUE(result.Warning.ends_with(u" Cannot find last stored event."));
  }
}

TEST_F(CollectLog, SpecialPositionReadsFromTheBeginningWithoutSeeking) {
  MakeLog(u"Custom");
  Append(u"Custom", 1, 3);
  Configure(u"Custom", 1, 1);
  ASSERT_EQ(Run(true), S_OK);
  EXPECT_TRUE(ReadConfig().LastEventFound);
  EXPECT_EQ(Collected(), Range(1, 3));
}

TEST_F(CollectLog, AFilterRejectedRecordStillMovesTheLastPosition) {
  MakeLog(u"Custom");
  Append(u"Custom", 1, 4);
  cmr::CTaskEventLog config;
  config.LogName = u"Custom";
  config.SeekLastFirstRun = false;
  CEventFilter filter;
  CEventFilter::FilterPtr all = filter.AddIncludingFilter(1);
  CEventFilter::FilterPtr four = filter.AddExcludingFilter(2);
  four->FilterFlags = kFilterEventIDs;
  four->EventIDs = ParseIdRanges(u"4");
  config.Filter = filter.ToString();
  WriteConfig(config);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_1_4d7c6d01_4_4d7c6d04.adevt");
  EXPECT_EQ(Collected(), Range(1, 3));
}

TEST_F(CollectLog, AnExistingFinalFileIsReplaced) {
  MakeLog(u"Custom");
  Append(u"Custom", 1, 2);
  Configure(u"Custom");
  fs::create_directories(OutDir());
  std::ofstream(OutDir() + "/WORKSTATION1_Custom_1_4d7c6d01_2_4d7c6d02.adevt") << "old";
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(1, 2));
}

TEST_F(CollectLog, MissingLogAndUnusableSaveFolderFailTheRun) {
  Configure(u"Custom");
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_EQ(ReadConfig().ErrorText,
            u"Event log 'Custom' does not exist (API used: NT, Vista) (Error number: 0x80004005)");

  MakeLog(u"Custom");
  Append(u"Custom", 1, 1);
  std::ofstream(OutDir()) << "a file where the folder should be";
  EXPECT_EQ(Run(), E_FAIL);
  const cmr::CTaskEventLog result = ReadConfig();
  EXPECT_NE(result.ErrorText.find(u"Failed to create save path " + OutFolder()), std::u16string::npos);
}

}  // namespace
}  // namespace collecttest
