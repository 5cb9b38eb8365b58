// The classic reader: buffered reading with a growing buffer, the end record
// number taken at open, seeks to stored positions, the newest record, retries
// of an unavailable server, file mode and backup files.
#include "platform/formats/evt_reader.h"
#include "platform/formats/file_bytes.h"

#include "tests/classic/classic_fixture.h"
#include "tests/support/last_error.h"

namespace classictest {
namespace {

class NTEventLogTest : public ClassicTest {
 protected:
  void SetUp() override {
    ClassicTest::SetUp();
    MakeLog(Local(), u"Application");
  }
};

TEST_F(NTEventLogTest, ReadsInChunksGrowingTheBufferAndStopsAtTheEndTakenAtOpen) {
  Append(Local(), u"Application", 1, 6, 100);
  cmr::NTEventLog reader(64, 0);  // smaller than any record: the buffer grows
  ASSERT_TRUE(reader.Open(u"", u"Application", 1, 1000));
  Append(Local(), u"Application", 7, 2);  // after the open: not read
  EXPECT_EQ(Drain(reader), Range(1, 6));

  // A chunk that ends exactly at the bytes read makes the next call read again.
  cmr::NTEventLog exact(0x10000, 0);
  ASSERT_TRUE(exact.Open(u"", u"Application", 1, 1000));
  ASSERT_TRUE(exact.ReadLog(0));
  EVENTLOGRECORD* record = nullptr;
  bool end = false;
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(exact.GetNextRecord(&record, nullptr, true, &end));
  const unsigned reads = host::CallCount("ReadEventLogW");
  ASSERT_TRUE(exact.GetNextRecord(&record, nullptr, true, &end));
  EXPECT_TRUE(end);
  EXPECT_EQ(host::CallCount("ReadEventLogW"), reads + 1);

  // The heap refuses the larger buffer.
  cmr::NTEventLog starved(64, 0);
  ASSERT_TRUE(starved.Open(u"", u"Application", 1, 0));
  host::InjectFault("HeapAlloc", 2, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(testsupport::ErrorOf(starved.ReadLog(0)), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

TEST_F(NTEventLogTest, RecordContextKeepsTheFullEventIdAndTheUser) {
  formats::EvtRecordFields fields = Fields(0xC0000010);
  fields.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
  ASSERT_NE(host::AppendClassicRecord(Local(), u"Application", fields), 0u);
  cmr::NTEventLog reader(0x10000, 0);
  ASSERT_TRUE(reader.Open(u"", u"Application", 1, 0));
  EVENTLOGRECORD* record = nullptr;
  cmr::RecordContext context;
  bool end = false;
  ASSERT_TRUE(reader.GetNextRecord(&record, &context, true, &end));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(context.eventId, 0xC0000010u);
  EXPECT_EQ(record->EventID, 0x10u);
  EXPECT_EQ(context.logName, u"Application");
  ASSERT_TRUE(context.user);
  EXPECT_EQ(context.user->sidString, u"S-1-5-18");
}

TEST_F(NTEventLogTest, SeekFindsOnlyTheExactStoredPosition) {
  Append(Local(), u"Application", 1, 5);
  struct Case {
    const char* what;
    uint32_t record, time;
    bool cleared, found;
    std::vector<uint32_t> read;
  } cases[] = {
      {"the stored record", 3, Fields(3).timeWritten, false, true, Range(4, 5)},
      {"same number, other time", 3, 12345, false, false, Range(1, 5)},
      {"not in the log (87): scanned, restarts at the oldest", 99, 1, false, false, Range(1, 5)},
      {"the log cleared (1503): reopened at the oldest", 1, Fields(1).timeWritten, true, false, Range(1, 2)},
  };
  cmr::NTEventLog reader(0x10000, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(reader.Open(u"", u"Application", 1, 0));
    if (c.cleared) {
      ASSERT_EQ(host::ClearClassicLog(Local(), u"Application"), 0u);
      Append(Local(), u"Application", 1, 2);
    }
    bool found = !c.found;
    ASSERT_TRUE(reader.Seek(c.record, c.time, &found));
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(Drain(reader), c.read);
  }
}

TEST_F(NTEventLogTest, MostRecentRewindAndMissingHandle) {
  cmr::NTEventLog reader(0x10000, 0);
  EVENTLOGRECORD* record = nullptr;
  bool end = false;
  EXPECT_EQ(testsupport::ErrorOf(reader.GetNextRecord(&record, nullptr, true, &end)), static_cast<DWORD>(E_FAIL));
  ASSERT_TRUE(reader.Open(u"", u"Application", 1, 0));
  EXPECT_TRUE(reader.SeekMostRecent());  // an empty log
  Append(Local(), u"Application", 1, 4);
  ASSERT_TRUE(reader.Open(u"", u"Application", 1, 0));
  ASSERT_TRUE(reader.SeekMostRecent());
  EXPECT_EQ(Drain(reader), (std::vector<uint32_t>{4}));
  ASSERT_TRUE(reader.Rewind(true));
  EXPECT_EQ(Drain(reader), Range(1, 4));
}

TEST_F(NTEventLogTest, OpenRetriesOnlyAnUnavailableServer) {
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  MakeLog(server, u"System");
  cmr::NTEventLog reader(0x10000, 0);
  EXPECT_FALSE(reader.Open(u"SERVER2", u"System", 0, 1000));
  EXPECT_EQ(host::CallCount("OpenEventLogW"), 0u);

  server.SetReachable(false);
  const ULONGLONG before = host::NowFileTime();
  EXPECT_EQ(testsupport::ErrorOf(reader.Open(u"SERVER2", u"System", 3, 1000)),
            static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(host::CallCount("OpenEventLogW"), 3u);
  EXPECT_EQ(host::NowFileTime() - before, 2000u * 10000u);  // two waits of 1000 ms

  server.SetReachable(true);
  host::SetClassicLogAccessDenied(server, u"System", true);
  EXPECT_EQ(testsupport::ErrorOf(reader.Open(u"SERVER2", u"System", 3, 1000)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(host::CallCount("OpenEventLogW"), 4u);
  host::SetClassicLogAccessDenied(server, u"System", false);
  EXPECT_TRUE(reader.Open(u"\\\\SERVER2", u"System", 1, 0));
}

// The real System log of a Windows XP computer, opened directly (never
// converted): every record the file holds, in order.
TEST_F(NTEventLogTest, FileModeReadsTheGivenFile) {
  const std::string sample = EC_TESTDATA_DIR "/logs/SysEvent.Evt";
  std::vector<uint8_t> bytes;
  if (!formats::ReadFileBytes(sample, &bytes)) GTEST_SKIP() << "no " << sample;
  std::vector<uint32_t> expected;
  for (const auto& r : formats::ReadEvtFile(bytes).records) expected.push_back(r.Number());
  ASSERT_FALSE(expected.empty());
  cmr::NTEventLog reader(0x10000, 0);
  reader.SetFile(std::u16string(sample.begin(), sample.end()));
  ASSERT_TRUE(reader.Open(nullptr, u"System", 1, 0));
  EXPECT_TRUE(reader.IsFileMode());
  DWORD oldest = 0, count = 0;
  ASSERT_TRUE(reader.GetOldestRecord(&oldest));
  ASSERT_TRUE(reader.GetNumberOfRecords(&count));
  EXPECT_EQ(oldest, expected.front());
  EXPECT_EQ(oldest + count - 1, expected.back());
  EXPECT_EQ(Drain(reader), expected);
  EXPECT_EQ(host::CallCount("CopyFileW"), 0u);
}

}  // namespace
}  // namespace classictest
