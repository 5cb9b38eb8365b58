// A log collected through ITask::Run, through the classic interface or the
// Windows Event Log one: positions, event files, repeated runs and failures.
#include "filter/event_filter.h"
#include "filter/id_ranges.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

// The warning of a lost position; the channel reader's has a tab after the colon.
std::u16string Changed(const char16_t* afterColon) {
  return u"The event log file has been changed between read operations:" + std::u16string(afterColon) +
         u"some event records may be lost. If you get this warning frequently, try enabling log auto-backup and "
         u"backup processing.";
}

// How a log is read, and how its reads are made to fail: the read that
// meets a change of the log, and the faults that also lose the position
// read up to (after `readBeforeLoss` events).
struct Interface {
  const char* name;
  int32_t api;
  const char* readCall;
  DWORD readError;
  unsigned changedRead;
  void (*loseThePosition)();
  uint32_t readBeforeLoss;
  const char16_t* afterColon;
};

// The log "Custom" read through one interface alone: event n is written at
// second 1300000000 + n and numbered n.
class BothInterfaces : public CollectFixture, public ::testing::WithParamInterface<Interface> {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    SetSystemRoot();  // where backups are looked for
    if (Classic()) MakeLog(u"Custom");
    else MakeChannel(u"Custom");
  }
  bool Classic() const { return GetParam().api == 1; }
  void Append(uint32_t first, uint32_t count) {
    if (Classic()) return CollectFixture::Append(u"Custom", first, count);
    AppendEvents(u"Custom", first, count);
  }
  void Configure(uint32_t lastRecord = 0, uint32_t lastTime = 0, bool seekLast = false) {
    CollectFixture::Configure(u"Custom", lastRecord, lastTime, seekLast, GetParam().api);
  }
};

TEST_P(BothInterfaces, FirstRunCollectsEverythingAndTheNextOnlyWhatIsNew) {
  Append(1, 150);
  Configure();
  host::ClearFaults();
  ASSERT_EQ(Run(), S_OK);
  if (!Classic()) {
    EXPECT_EQ(host::CallCount("EvtNext"), 3u);  // 100, the 101st to the 150th, the end
  }
  EXPECT_EQ(Collected(), Range(1, 150));
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_1_4d7c6d01_96_4d7c6d96.adevt");
  EXPECT_EQ(ReadConfig().Warning, u"");

  AdvancePosition();
  ASSERT_EQ(Run(), S_OK);  // nothing new: no file, no name, the work file gone
  EXPECT_EQ(ReadConfig().EventFileName, u"");
  EXPECT_TRUE(ReadConfig().LastEventFound);
  EXPECT_EQ(EventFiles().size(), 1u);
  Append(151, 3);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(151, 153));
}

// Where a first run that seeks the newest event starts: an empty log takes
// the special position 1:1 (named in the file name, no record in the file).
TEST_P(BothInterfaces, SeekLastFirstRunStartsAfterTheNewestEvent) {
  Configure(0, 0, true);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_1_1_1_1.adevt");
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(1, 2);
  ASSERT_EQ(Run(), S_OK);  // from the beginning
  EXPECT_EQ(Collected(), Range(1, 2));

  Configure(0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // the newest event's position, an empty file
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_2_4d7c6d02_2_4d7c6d02.adevt");
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(3, 2);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(3, 4));
}

// A stored position is read on from when the event there is the one stored;
// else reading starts at the oldest event, with a warning.
TEST_P(BothInterfaces, AStoredPositionIsReadOnFromOrReadFromTheOldestWithAWarning) {
  Append(1, 150);
  const struct {
    const char* what;
    uint32_t record, time;
    bool found;
    uint32_t first;
  } cases[] = {
      {"the special position", 1, 1, true, 1},
      {"the oldest event", 1, 1300000001, true, 2},  // goes on with the rest of its batch
      {"another time", 2, 12345, false, 1},
      {"beyond the newest event", 200, 1300000200, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Configure(c.record, c.time);
    ASSERT_EQ(Run(true), S_OK);
    const cmr::CTaskEventLog result = ReadConfig();
    EXPECT_EQ(Collected(), Range(c.first, 150));
    EXPECT_EQ(result.LastEventFound, c.found);
    if (c.found) EXPECT_EQ(result.Warning, u"");
    else
      EXPECT_TRUE(result.Warning.find(u"Custom log overwrites occurred") != std::u16string::npos &&
                  result.Warning.ends_with(u" Cannot find last stored event."))
          << cmr::Utf16ToUtf8(result.Warning);
  }
}

TEST_P(BothInterfaces, AReadErrorFailsTheRun) {
  Append(1, 150);
  Configure();
  host::InjectFault(GetParam().readCall, 2, GetParam().readError);
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Event log read failure"), std::u16string::npos);
}

// A log changed under the reader (1503), or a result set gone stale (15011,
// the log cleared or its oldest events overwritten; issued again), is read
// on from the last event read while that is still there.
TEST_P(BothInterfaces, ALogChangedUnderTheReaderIsReadOnFromTheLastEvent) {
  Append(1, 200);
  Configure();
  for (DWORD error : {DWORD{ERROR_EVENTLOG_FILE_CHANGED}, DWORD{ERROR_EVT_QUERY_RESULT_STALE}}) {
    if (Classic() && error == ERROR_EVT_QUERY_RESULT_STALE) continue;
    for (bool backups : {false, true}) {
      SCOPED_TRACE(testing::Message() << "error " << error << ", backups " << backups);
      host::ClearFaults();
      host::InjectFault(GetParam().readCall, GetParam().changedRead, error);
      ASSERT_EQ(Run(backups), S_OK);
      EXPECT_EQ(Collected(), Range(1, 200));
      EXPECT_EQ(ReadConfig().Warning, u"");
      if (!Classic() && !backups) {
        EXPECT_EQ(host::CallCount("EvtQuery"), error == ERROR_EVT_QUERY_RESULT_STALE ? 2u : 1u);
      }
    }
  }
}

// The read and the repositioning after it both fail: the position is taken
// as gone, and reading starts again at the oldest event, with the warning
// once.
TEST_P(BothInterfaces, ALogChangedUnderTheReaderWhoseLastEventIsLostIsReadAgainWithAWarning) {
  Append(1, 150);
  Configure();
  GetParam().loseThePosition();
  ASSERT_EQ(Run(), S_OK);
  std::vector<uint32_t> expected = Range(1, GetParam().readBeforeLoss);
  for (uint32_t n : Range(1, 150)) expected.push_back(n);
  EXPECT_EQ(Collected(), expected);
  const std::u16string warning = ReadConfig().Warning;
  ASSERT_TRUE(warning.starts_with(Changed(GetParam().afterColon))) << cmr::Utf16ToUtf8(warning);
  EXPECT_EQ(warning.find(Changed(GetParam().afterColon), 1), std::u16string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, BothInterfaces,
    ::testing::Values(Interface{"Classic", 1, "ReadEventLogW", ERROR_ACCESS_DENIED, 4,
                                [] { host::InjectFault("ReadEventLogW", 4, ERROR_EVENTLOG_FILE_CHANGED, 2); }, 24, u""},
                      Interface{"Channel", 2, "EvtNext", ERROR_INVALID_HANDLE, 2,
                                [] {
                                  host::InjectFault("EvtNext", 2, ERROR_EVENTLOG_FILE_CHANGED);
                                  host::InjectFault("EvtSeek", 1, ERROR_INVALID_HANDLE);
                                },
                                100, u"\t"}),
    [](const ::testing::TestParamInfo<Interface>& info) { return info.param.name; });

class CollectLog : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    MakeLog(u"Custom");
  }
};

TEST_F(CollectLog, AFilterRejectedRecordStillMovesTheLastPosition) {
  Append(u"Custom", 1, 4);
  cmr::CTaskEventLog config = Configuration(u"Custom");
  CEventFilter filter;
  filter.AddIncludingFilter(1);
  CEventFilter::FilterPtr four = filter.AddExcludingFilter(2);
  four->FilterFlags = kFilterEventIDs;
  four->EventIDs = ParseIdRanges(u"4");
  config.Filter = filter.ToString();
  WriteConfig(config);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_Custom_1_4d7c6d01_4_4d7c6d04.adevt");
  EXPECT_EQ(Collected(), Range(1, 3));
}

// An existing final file is replaced; a save folder that cannot be made
// fails the run.
TEST_F(CollectLog, AnExistingFinalFileIsReplacedAndAnUnusableSaveFolderFailsTheRun) {
  Append(u"Custom", 1, 2);
  Configure(u"Custom");
  fs::create_directories(OutDir());
  std::ofstream(OutDir() + "/WORKSTATION1_Custom_1_4d7c6d01_2_4d7c6d02.adevt") << "old";
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(1, 2));

  fs::remove_all(OutDir());
  std::ofstream(OutDir()) << "a file where the folder should be";
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Failed to create save path " + OutFolder()), std::u16string::npos);
}

}  // namespace
}  // namespace collecttest
