// Channels collected through ITask::Run with the Windows Event Log
// interface: the seek and its search, a channel that wraps, and the archive
// chain read into the live channel.
#include "base/format.h"
#include "platform/api/kernel.h"
#include "platform/host/evt/event_channels.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

// Seconds of event n; its creation time carries a fraction of a second, as
// the times Windows logs do.
uint32_t SecondsOf(uint32_t n) { return 1300000000 + n; }

class ChannelCollection : public CollectFixture {
 protected:
  // A configuration of the channel read through the Windows Event Log alone.
  void Configure(uint32_t lastRecord = 0, uint32_t lastTime = 0, bool seekLast = false,
                 const std::u16string& channel = u"TestChannel") {
    CollectFixture::Configure(channel, lastRecord, lastTime, seekLast, 2);
  }
};

TEST_F(ChannelCollection, AStoredIdBelowTheChannelsFirstIsNotFound) {
  MakeChannel(u"TestChannel", 1000);
  AppendEvents(u"TestChannel", 1, 3);
  Configure(5, SecondsOf(5));
  ASSERT_EQ(Run(), S_OK);
  EXPECT_FALSE(ReadConfig().LastEventFound);
  EXPECT_EQ(Collected(), Range(1, 3));
  EXPECT_TRUE(ReadConfig().Warning.ends_with(u" Cannot find last stored event."));
}

TEST_F(ChannelCollection, AFailedSeekToTheNextHighPartFailsTheRun) {
  MakeChannel(u"TestChannel");
  AppendEvents(u"TestChannel", 1, 3);
  Configure(2, 12345);
  // The rewind, the seek to id 2, then the seek to 2 + 2^32.
  host::InjectFault("EvtSeek", 3, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Event log seek failed"), std::u16string::npos)
      << cmr::Utf16ToUtf8(ReadConfig().ErrorText);
  EXPECT_TRUE(EventFiles().size() <= 1u);
}

// A channel that wraps between runs: every event that was there at some
// run is collected once, and those overwritten in between are named.
TEST_F(ChannelCollection, AChannelThatWrapsBetweenRunsLosesOnlyWhatWasOverwritten) {
  host::ChannelConfig config;
  config.name = u"Small";
  config.maxSize = 0x10000;
  host::AddChannel(Local(), config);
  AppendEvents(u"Small", 1, 50);
  Configure(0, 0, false, u"Small");
  ASSERT_EQ(Run(), S_OK);
  std::vector<uint32_t> all = Collected();
  ASSERT_EQ(all, Range(1, 50));
  AdvancePosition();
  AppendEvents(u"Small", 51, 2000);  // far more than the channel holds
  ASSERT_EQ(Run(), S_OK);
  const std::vector<uint32_t> second = Collected();
  ASSERT_FALSE(second.empty());
  EXPECT_GT(second.front(), 51u);  // the first ones were overwritten
  EXPECT_EQ(second, Range(second.front(), 2050));
  const cmr::CTaskEventLog result = ReadConfig();
  EXPECT_FALSE(result.LastEventFound);
  const std::u16string named =
      cmr::FormatString(u"Event records 51 to %u were overwritten before they were collected. ", second.front() - 1);
  EXPECT_NE(result.Warning.find(named), std::u16string::npos) << cmr::Utf16ToUtf8(result.Warning);
  EXPECT_EQ(result.Warning.find(u"could not be read"), std::u16string::npos);
  AdvancePosition();
  ASSERT_EQ(Run(), S_OK);
  EXPECT_TRUE(Collected().empty());
  EXPECT_TRUE(ReadConfig().LastEventFound);
}

class ChannelArchives : public ChannelCollection {
 protected:
  void SetUp() override {
    ChannelCollection::SetUp();
    Local().SetRoot(dir_.path() + "/machine");
    fs::create_directories(LogsDir());
    SetSystemRoot();
    MakeChannel(u"Test/Chain", 1, u"%SystemRoot%\\System32\\winevt\\Logs\\Chain.evtx");
  }
  std::string LogsDir() const { return dir_.path() + "/machine/C/Windows/System32/winevt/Logs"; }
  size_t Archives() const { return CollectFixture::Archives(LogsDir()); }
  // Three archives of events 1-3, 4-6 and 7-9 (record ids 1-3 each), then
  // events 10 and 11 in the live channel (record ids 1 and 2).
  void MakeChain() {
    for (uint32_t first : {1u, 4u, 7u}) {
      AppendEvents(u"Test/Chain", first, 3);
      ArchiveChannel(Local(), u"Test/Chain");
    }
    AppendEvents(u"Test/Chain", 10, 2);
  }
};

TEST_F(ChannelArchives, TheChainIsReadIntoTheLiveChannel) {
  MakeChain();
  ASSERT_EQ(Archives(), 3u);
  Configure(0, 0, false, u"Test/Chain");
  ASSERT_EQ(Run(true), S_OK);
  EXPECT_EQ(Collected(), Range(1, 11));
  EXPECT_TRUE(ReadConfig().LastEventFound);

  AdvancePosition();
  AppendEvents(u"Test/Chain", 12, 2);
  host::AdvanceClock(2 * 3600000);
  ASSERT_EQ(Run(true, 1), S_OK);  // found in the live channel: every archive is read and old enough
  EXPECT_EQ(Collected(), Range(12, 13));
  EXPECT_EQ(Archives(), 0u);
}

TEST_F(ChannelArchives, ArchivesThatCannotBeListedOrReadAreNamedInTheWarning) {
  MakeChain();
  ExpectArchiveFaultsNamed(u"Test/Chain", 2, 11,
                           {{"EvtOpenChannelConfig", kArchivesNotListed},
                            {"FindFirstFileW", kArchivesNotListed},
                            {"FindNextFileW", kArchivesNotListed},
                            {"EvtQuery", kArchiveNotRead},
                            {"EvtSeek", kArchiveNotRead}});
}

TEST_F(ChannelArchives, AStoredPositionInAnArchiveReadsOnFromThere) {
  MakeChain();
  Configure(2, SecondsOf(5), false, u"Test/Chain");  // event 5: record 2 of the second archive
  ASSERT_EQ(Run(true, 2), S_OK);
  EXPECT_TRUE(ReadConfig().LastEventFound) << cmr::Utf16ToUtf8(ReadConfig().Warning);
  EXPECT_EQ(Collected(), Range(6, 11));
  EXPECT_EQ(Archives(), 2u);  // of the archives read, only the first is two hours old
}

}  // namespace
}  // namespace collecttest
