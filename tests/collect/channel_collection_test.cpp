// Channels collected through ITask::Run with the Windows Event Log
// interface: batches, positions, the seek and its search, a log changed
// under the reader, and the archive chain read into the live channel.
#include "base/format.h"
#include "platform/api/kernel.h"
#include "platform/host/evt/event_channels.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

constexpr uint64_t kFileTimeOf1970 = 116444736000000000ull;
constexpr char16_t kChangedWarning[] =
    u"The event log file has been changed between read operations:\tsome event records may be lost. If you get this "
    u"warning frequently, try enabling log auto-backup and backup processing.";

// Seconds of event n; its creation time carries a fraction of a second, as
// the times Windows logs do.
uint32_t SecondsOf(uint32_t n) { return 1300000000 + n; }

class ChannelCollection : public CollectFixture {
 protected:
  void MakeChannel(const std::u16string& name = u"TestChannel", uint64_t firstId = 1,
                   const std::u16string& logFile = u"") {
    host::ChannelConfig config;
    config.name = name;
    config.logFilePath = logFile;
    host::AddChannel(Local(), config).nextRecordId = firstId;
  }
  // Appends events first..first+count-1, event n with event id n.
  void Append(uint32_t first, uint32_t count, const std::u16string& channel = u"TestChannel") {
    for (uint32_t n = first; n < first + count; ++n) ASSERT_NE(host::AppendEvent(Local(), channel, EventSpec(n)), 0u);
  }
  // A configuration of the channel read through the Windows Event Log alone.
  void Configure(uint32_t lastRecord = 0, uint32_t lastTime = 0, bool seekLast = false,
                 const std::u16string& channel = u"TestChannel") {
    CollectFixture::Configure(channel, lastRecord, lastTime, seekLast, 2);
  }
};

TEST_F(ChannelCollection, EventsComeInBatchesAndTheNextRunOnlyWhatIsNew) {
  MakeChannel();
  Append(1, 150);
  Configure();
  host::ClearFaults();
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(host::CallCount("EvtNext"), 3u);  // 100, the 101st to the 150th, the end
  EXPECT_EQ(Collected(), Range(1, 150));
  EXPECT_TRUE(ReadConfig().EventFileName.starts_with(u"WORKSTATION1_TestChannel_1_4d7c6d01_96_"));

  AdvancePosition();
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(ReadConfig().EventFileName, u"");
  EXPECT_TRUE(ReadConfig().LastEventFound);
  Append(151, 3);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(151, 153));
}

TEST_F(ChannelCollection, StoredOldestEventGoesOnWithTheRestOfItsBatch) {
  MakeChannel();
  Append(1, 150);
  Configure(1, SecondsOf(1));
  ASSERT_EQ(Run(), S_OK);
  EXPECT_TRUE(ReadConfig().LastEventFound);
  EXPECT_EQ(Collected(), Range(2, 150));
}

TEST_F(ChannelCollection, SeekLastFirstRun) {
  MakeChannel();
  Configure(0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // empty: 1:1, and no record in the file
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_TestChannel_1_1_1_1.adevt");
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(1, 2);
  ASSERT_EQ(Run(), S_OK);  // from the beginning
  EXPECT_EQ(Collected(), Range(1, 2));

  Configure(0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // the newest event's position
  EXPECT_TRUE(Collected().empty());
  AdvancePosition();
  Append(3, 2);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(Collected(), Range(3, 4));
}

TEST_F(ChannelCollection, StoredPositionNotFoundReadsFromTheOldestAndWarns) {
  struct Case {
    uint64_t firstId;
    uint32_t record, time;
  } cases[] = {
      {1, 2, 12345},            // the id holds another event: the next high part, then the retries
      {1000, 5, SecondsOf(5)},  // the channel starts above the stored id
      {1, 40, SecondsOf(40)},   // beyond the newest event
  };
  for (const Case& c : cases) {
    const std::u16string channel = u"Channel" + cmr::ToText(c.record);
    MakeChannel(channel, c.firstId);
    Append(1, 3, channel);
    Configure(c.record, c.time, false, channel);
    ASSERT_EQ(Run(), S_OK);
    const cmr::CTaskEventLog result = ReadConfig();
    EXPECT_FALSE(result.LastEventFound) << c.record;
    EXPECT_EQ(Collected(), Range(1, 3));
    EXPECT_TRUE(result.Warning.ends_with(u" Cannot find last stored event.")) << cmr::Utf16ToUtf8(result.Warning);
  }
}

TEST_F(ChannelCollection, AFailedSeekToTheNextHighPartFailsTheRun) {
  MakeChannel();
  Append(1, 3);
  Configure(2, 12345);
  // The rewind, the seek to id 2, then the seek to 2 + 2^32.
  host::InjectFault("EvtSeek", 3, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Event log seek failed"), std::u16string::npos)
      << cmr::Utf16ToUtf8(ReadConfig().ErrorText);
  EXPECT_TRUE(EventFiles().size() <= 1u);
}

// The classic interface's word for a changed log (1503) and a result set
// gone stale (15011, the log cleared or its oldest events overwritten),
// which is issued again.
TEST_F(ChannelCollection, ALogChangedUnderTheReaderIsReadOnFromTheLastEvent) {
  for (DWORD error : {DWORD{ERROR_EVENTLOG_FILE_CHANGED}, DWORD{ERROR_EVT_QUERY_RESULT_STALE}}) {
    const std::u16string channel = u"Changed" + cmr::ToText(error);
    MakeChannel(channel);
    Append(1, 150, channel);
    Configure(0, 0, false, channel);
    host::ClearFaults();
    host::InjectFault("EvtNext", 2, error);
    ASSERT_EQ(Run(), S_OK) << error;
    EXPECT_EQ(Collected(), Range(1, 150)) << error;
    EXPECT_EQ(ReadConfig().Warning, u"") << error;
    EXPECT_EQ(host::CallCount("EvtQuery"), error == ERROR_EVT_QUERY_RESULT_STALE ? 2u : 1u) << error;
  }
}

// A channel that wraps between runs: every event that was there at some
// run is collected once, and those overwritten in between are named.
TEST_F(ChannelCollection, AChannelThatWrapsBetweenRunsLosesOnlyWhatWasOverwritten) {
  host::ChannelConfig config;
  config.name = u"Small";
  config.maxSize = 0x10000;
  host::AddChannel(Local(), config);
  Append(1, 50, u"Small");
  Configure(0, 0, false, u"Small");
  ASSERT_EQ(Run(), S_OK);
  std::vector<uint32_t> all = Collected();
  ASSERT_EQ(all, Range(1, 50));
  AdvancePosition();
  Append(51, 2000, u"Small");  // far more than the channel holds
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

TEST_F(ChannelCollection, ALogChangedUnderTheReaderWhoseLastEventIsLostIsReadAgainWithAWarning) {
  MakeChannel();
  Append(1, 150);
  Configure();
  host::InjectFault("EvtNext", 2, ERROR_EVENTLOG_FILE_CHANGED);
  host::InjectFault("EvtSeek", 1, ERROR_INVALID_HANDLE);  // the seek of the repositioning
  ASSERT_EQ(Run(), S_OK);
  std::vector<uint32_t> expected = Range(1, 100);
  for (uint32_t n : Range(1, 150)) expected.push_back(n);
  EXPECT_EQ(Collected(), expected);
  const std::u16string warning = ReadConfig().Warning;
  EXPECT_EQ(std::u16string_view(kChangedWarning).size(), 180u);
  ASSERT_TRUE(warning.starts_with(kChangedWarning)) << cmr::Utf16ToUtf8(warning);
  EXPECT_EQ(warning.find(kChangedWarning, 1), std::u16string::npos);
}

TEST_F(ChannelCollection, AReadErrorFailsTheRun) {
  MakeChannel();
  Append(1, 150);
  Configure();
  host::InjectFault("EvtNext", 2, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Run(), E_FAIL);
  EXPECT_NE(ReadConfig().ErrorText.find(u"Event log read failure"), std::u16string::npos);
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
  void Archive() {
    host::AdvanceClock(3600000);
    host::Lock lock;
    auto& service = host::EventLogOf(Local());
    ASSERT_EQ(service.Archive(*service.FindChannel(u"Test/Chain")), 0u);
  }
  // Three archives of events 1-3, 4-6 and 7-9 (record ids 1-3 each), then
  // events 10 and 11 in the live channel (record ids 1 and 2).
  void MakeChain() {
    Append(1, 3, u"Test/Chain");
    Archive();
    Append(4, 3, u"Test/Chain");
    Archive();
    Append(7, 3, u"Test/Chain");
    Archive();
    Append(10, 2, u"Test/Chain");
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
  Append(12, 2, u"Test/Chain");
  host::AdvanceClock(2 * 3600000);
  ASSERT_EQ(Run(true, 1), S_OK);  // found in the live channel: every archive is read and old enough
  EXPECT_EQ(Collected(), Range(12, 13));
  EXPECT_EQ(Archives(), 0u);
}

TEST_F(ChannelArchives, ArchivesThatCannotBeListedOrReadAreNamedInTheWarning) {
  MakeChain();
  struct Case {
    const char* call;
    const char16_t* warning;
  };
  const Case cases[] = {
      {"EvtOpenChannelConfig", u"The archived backups of the log could not be listed ("},
      {"FindFirstFileW", u"The archived backups of the log could not be listed ("},
      {"FindNextFileW", u"The archived backups of the log could not be listed ("},
      {"EvtQuery", u"An archived backup of the log could not be read ("},
      {"EvtSeek", u"An archived backup of the log could not be read ("},
  };
  for (const Case& c : cases) {
    fs::remove_all(OutDir());
    Configure(0, 0, false, u"Test/Chain");
    host::InjectFault(c.call, 1, ERROR_ACCESS_DENIED);
    ASSERT_EQ(Run(true), S_OK) << c.call;
    host::ClearFaults();
    const std::vector<uint32_t> ids = Collected();
    EXPECT_FALSE(ids.empty()) << c.call;
    EXPECT_LT(ids.size(), 11u) << c.call;
    EXPECT_NE(ReadConfig().Warning.find(c.warning), std::u16string::npos)
        << c.call << ": " << cmr::Utf16ToUtf8(ReadConfig().Warning);
  }
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

namespace collecttest {
namespace {

// A channel of another computer: its archives are found through the
// computer's shares, and its record ids start above the stored one.
class RemoteChannel : public ChannelCollection {
 protected:
  void SetUp() override {
    ChannelCollection::SetUp();
    srv_ = &AddRemoteComputer();
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32/winevt/Logs");
    host::ChannelConfig config;
    config.name = u"Remote/Chain";
    host::AddChannel(*srv_, config);
  }
  void Append(uint32_t first, uint32_t count) {
    for (uint32_t n = first; n < first + count; ++n) {
      formats::EvtxEventSpec spec;
      spec.provider = u"TestProvider";
      spec.eventId = static_cast<uint16_t>(n);
      spec.timeCreated = kFileTimeOf1970 + SecondsOf(n) * 10000000ull;
      ASSERT_NE(host::AppendEvent(*srv_, u"Remote/Chain", spec), 0u);
    }
  }

  host::Computer* srv_ = nullptr;
};

TEST_F(RemoteChannel, ArchivesAreFoundThroughTheSharesAndReadIntoTheLiveChannel) {
  Append(1, 3);
  host::AdvanceClock(3600000);
  {
    host::Lock lock;
    auto& service = host::EventLogOf(*srv_);
    ASSERT_EQ(service.Archive(*service.FindChannel(u"Remote/Chain")), 0u);
  }
  ASSERT_TRUE(fs::exists(dir_.path() + "/srv1/C/Windows/System32/winevt/Logs"));
  Append(4, 2);
  Configure(0, 0, false, u"Remote/Chain");
  ASSERT_EQ(RunOn(u"SRV1"), S_OK);
  EXPECT_EQ(Collected(), Range(1, 5));
}

}  // namespace
}  // namespace collecttest
