// Reading on after the log changed under the reader (1503), and the choice
// of the interface a log is read with.
#include "base/error_report.h"
#include "collect/log_collector.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/faults/faults.h"
#include "tests/collect/collect_fixture.h"

namespace collecttest {
namespace {

constexpr char16_t kChanged[] = u"The event log file has been changed between read operations:";

size_t Occurrences(const std::u16string& text, std::u16string_view part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class LogChanged : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    SetSystemRoot();  // where backups are looked for: a run that cannot tell warns
    MakeLog(u"Custom");
    Append(u"Custom", 1, 200);
    Configure(u"Custom");
  }
};

TEST_F(LogChanged, ReadingGoesOnAfterTheLastRecordReadWhenItIsStillThere) {
  for (bool backups : {false, true}) {
    host::ClearFaults();
    host::InjectFault("ReadEventLogW", 4, ERROR_EVENTLOG_FILE_CHANGED);
    ASSERT_EQ(Run(backups), S_OK);
    EXPECT_EQ(Collected(), Range(1, 200)) << "backups " << backups;
    EXPECT_EQ(ReadConfig().Warning, u"");
  }
}

TEST_F(LogChanged, ALostPositionRestartsAtTheOldestRecordWithTheWarningOnce) {
  // The read and the seek after it both meet the change: the position is
  // taken as gone, and reading starts again at the oldest record.
  host::InjectFault("ReadEventLogW", 4, ERROR_EVENTLOG_FILE_CHANGED, 2);
  ASSERT_EQ(Run(), S_OK);
  const cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(Occurrences(result.Warning, kChanged), 1u) << cmr::Utf16ToUtf8(result.Warning);
  const std::vector<uint32_t> ids = Collected();
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids.back(), 200u);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 1u), 2);  // the records before the change, read again
}

TEST_F(LogChanged, AnotherReadErrorFailsTheRun) {
  host::InjectFault("ReadEventLogW", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Event log read failure"), std::u16string::npos);
}

class ChooseApi : public CollectFixture {};

TEST_F(ChooseApi, ThePreferredInterfaceWhereTheLogExistsElseTheOther) {
  MakeLog(u"ClassicOnly");
  host::ChannelConfig channel;
  channel.name = u"ChannelOnly";
  host::AddChannel(Local(), channel);
  channel.name = u"Both";
  host::AddChannel(Local(), channel);
  MakeLog(u"Both");
  struct Case {
    const char16_t* log;
    int32_t preferred, fallback, used;
  } cases[] = {
      {u"ClassicOnly", 1, 2, 1}, {u"ChannelOnly", 1, 2, 2}, {u"Both", 1, 2, 1},
      {u"Both", 2, 1, 2},        {u"ClassicOnly", 2, 1, 1}, {u"Both", 0, 1, 0},
  };
  for (const Case& c : cases) {
    int32_t used = -1;
    EXPECT_EQ(cmr::ChooseLogApi(u"", c.log, c.preferred, c.fallback, used), S_OK);
    EXPECT_EQ(used, c.used) << cmr::Utf16ToUtf8(c.log) << " " << c.preferred;
  }
  int32_t used = -1;
  EXPECT_EQ(cmr::ChooseLogApi(u"", u"Nowhere", 1, 2, used), E_FAIL);
  EXPECT_EQ(cmr::GetErrorText(E_FAIL),
            u"Event log 'Nowhere' does not exist (API used: NT, Vista) (Error number: 0x80004005)");
  EXPECT_EQ(cmr::ChooseLogApi(u"", u"Both", 0, 0, used), E_FAIL);
  EXPECT_EQ(cmr::GetErrorText(E_FAIL), u"Failed to open log 'Both': API is not available (Error number: 0x80004005)");
  EXPECT_EQ(cmr::ChooseLogApi(u"NOSUCH", u"Both", 1, 0, used), static_cast<HRESULT>(0x80070035));
}

TEST_F(ChooseApi, AChannelOnlyLogIsCollectedThroughTheWindowsEventLog) {
  host::ChannelConfig channel;
  channel.name = u"ChannelOnly";
  host::AddChannel(Local(), channel);
  Configure(u"ChannelOnly", 0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // classic preferred, missing: the channel, empty, so 1:1
  EXPECT_TRUE(Collected().empty());
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_ChannelOnly_1_1_1_1.adevt");
}

}  // namespace
}  // namespace collecttest
