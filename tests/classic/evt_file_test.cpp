// Classic .evt files on disk: a backup file is read where the reader is
// (through a window, the wrapped ring included), with what it found damaged
// told to the command line; a live log's file takes each append in place
// (the record, then the header), and a write that fails leaves a file that
// reads whole up to its last whole record.
#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/classic/classic_report.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/paths.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/file_text.h"
#include "tests/support/small_address_space.h"

namespace classictest {
namespace {

using EvtFileTest = ClassicTest;

std::vector<uint32_t> Numbers(const formats::EvtFile& file) {
  std::vector<uint32_t> numbers;
  for (const auto& r : file.records) numbers.push_back(r.Number());
  return numbers;
}

std::string WriteLogFile(const std::filesystem::path& path, uint32_t maxSize, uint32_t records) {
  formats::EvtLogFile log(maxSize);
  for (uint32_t i = 1; i <= records; ++i) log.Append(Fields(i, i % 50));
  formats::WriteFileBytes(path.string(), log.Image());
  return path.string();
}

// A live log's file, wrapped, opened as a backup through its path and
// through the ADMIN$ share.
TEST_F(EvtFileTest, BackupReadsLikeItsWholeBytesInEveryDirection) {
  Local().SetRoot(dir_.string());
  std::filesystem::create_directories(dir_ / "C/Windows/System32/config");
  MakeLog(Local(), u"System", 0x60000, 0, u"%SystemRoot%\\System32\\config\\SysEvent.Evt");
  for (uint32_t i = 1; i <= 9000; ++i) ASSERT_NE(host::AppendClassicRecord(Local(), u"System", Fields(i, i % 50)), 0u);
  const formats::EvtFile whole =
      formats::ReadEvtFile(testsupport::ReadFileBytes(dir_ / "C/Windows/System32/config/SysEvent.Evt"));
  ASSERT_TRUE(whole.Wrapped());
  ASSERT_FALSE(whole.Damaged()) << whole.Report();
  const std::vector<uint32_t> numbers = Numbers(whole);
  ASSERT_EQ(numbers.back(), 9000u);

  LogHandle h(OpenBackupEventLogW(nullptr, u"\\\\WORKSTATION1\\ADMIN$\\System32\\config\\SysEvent.Evt"));
  ASSERT_TRUE(h);
  DWORD count = 0, oldest = 0;
  ASSERT_TRUE(GetNumberOfEventLogRecords(h.get(), &count));
  ASSERT_TRUE(GetOldestEventLogRecord(h.get(), &oldest));
  EXPECT_EQ(count, numbers.size());
  EXPECT_EQ(oldest, numbers.front());
  EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ, 0x1000), numbers);
  for (HANDLE raw : {OpenBackupEventLogW(nullptr, u"C:\\Windows\\System32\\config\\SysEvent.Evt"),
                     OpenEventLogW(nullptr, u"System")}) {
    LogHandle back(raw);
    std::vector<uint32_t> backwards = ReadToEnd(back.get(), EVENTLOG_BACKWARDS_READ, 0x1000);
    EXPECT_EQ(std::vector<uint32_t>(backwards.rbegin(), backwards.rend()), numbers);
  }
  // Seeks, with the exact bytes of the record, here and there in the ring.
  for (size_t i : {size_t{0}, numbers.size() / 3, numbers.size() - 1}) {
    std::vector<uint8_t> buffer(0x1000);
    DWORD read = 0, needed = 0;
    ASSERT_TRUE(ReadEventLogW(h.get(), EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, numbers[i], buffer.data(),
                              static_cast<DWORD>(whole.records[i].bytes.size()), &read, &needed));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + read), whole.records[i].bytes);
  }
  std::vector<std::string> diagnostics;
  uint64_t skipped = 1;
  ASSERT_TRUE(host::ClassicReportOf(h.get(), &diagnostics, &skipped));
  EXPECT_TRUE(diagnostics.empty());
  EXPECT_EQ(skipped, 0u);
}

// As a backup, and as a live log before and after its file is rebuilt by
// the first append: the lost record stays told.
TEST_F(EvtFileTest, ADamagedFileToldWithItsLostRecords) {
  Local().SetRoot(dir_.string());
  std::filesystem::create_directories(dir_ / "C/Logs");
  const std::string file = WriteLogFile(dir_ / "C/Logs/damaged.evt", 0x10000, 100);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(formats::ReadFileBytes(file, &bytes));
  const formats::EvtFile whole = formats::ReadEvtFile(bytes);
  bytes[whole.records[40].offset + 4] ^= 0xFF;  // record 41's signature
  ASSERT_TRUE(formats::WriteFileBytes(file, bytes));
  MakeLog(Local(), u"Live", 0x10000, 0, u"C:\\Logs\\damaged.evt");
  std::vector<uint32_t> expected = Range(1, 40), rest = Range(42, 100);
  expected.insert(expected.end(), rest.begin(), rest.end());
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    LogHandle h(round == 0 ? OpenBackupEventLogW(nullptr, host::WindowsPathOf(file).c_str())
                           : OpenEventLogW(nullptr, u"Live"));
    ASSERT_TRUE(h);
    EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), expected);
    std::vector<std::string> diagnostics;
    uint64_t skipped = 0;
    ASSERT_TRUE(host::ClassicReportOf(h.get(), &diagnostics, &skipped));
    EXPECT_FALSE(diagnostics.empty());
    EXPECT_EQ(skipped, 1u);
    if (round == 1) expected.push_back(host::AppendClassicRecord(Local(), u"Live", Fields(101, 1)));
  }
  const formats::EvtFile rebuilt = formats::ReadEvtFile(testsupport::ReadFileBytes(file));
  EXPECT_EQ(rebuilt.diagnostics.size(), 1u) << "rebuilt by the append, the gap left: " << rebuilt.Report();
  std::vector<std::string> diagnostics;
  uint64_t skipped = 0;
  EXPECT_FALSE(host::ClassicReportOf(reinterpret_cast<HANDLE>(0x7777), &diagnostics, &skipped));
}

// A process whose address space is far smaller than the file reads it whole.
TEST_F(EvtFileTest, ALargeBackupIsReadInLittleMemory) {
  const uint32_t maxSize = 72u << 20;
  const std::string file = (dir_ / "large.evt").string();
  uint32_t records = 0;
  {
    formats::EvtLogFile log(maxSize);
    while (log.Image().size() < maxSize || !(log.Flags() & formats::ELF_LOGFILE_HEADER_WRAP)) {
      ASSERT_EQ(log.Append(Fields(++records, 40)).status, formats::EvtAppendStatus::Written);
    }
    for (uint32_t i = 0; i < 1000; ++i) log.Append(Fields(++records, 40));  // well into the second round
    ASSERT_TRUE(formats::WriteFileBytes(file, log.Image()));
  }
  const std::u16string path = host::WindowsPathOf(file);
  EXPECT_TRUE(testsupport::SucceedsInSmallAddressSpace(32u << 20, [&] {
    LogHandle h(OpenBackupEventLogW(nullptr, path.c_str()));
    uint32_t count = 0, last = 0;
    bool ordered = static_cast<bool>(h);
    for (ReadResult r; h && (r = Read(h.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ)).error == 0;) {
      for (uint32_t n : r.numbers) {
        ordered = ordered && (last == 0 || n == last + 1);
        last = n;
        ++count;
      }
    }
    return ordered && last == records && count > records / 2;
  }));
}

class LiveEvtFileTest : public ClassicTest {
 protected:
  void SetUp() override {
    ClassicTest::SetUp();
    Local().SetRoot(dir_.string());
    std::filesystem::create_directories(dir_ / "C/Windows/System32/config");
    MakeLog(Local(), u"Custom", 0x10000, 0, u"%SystemRoot%\\System32\\config\\Custom.evt");
  }
  formats::EvtFile OnDisk() {
    return formats::ReadEvtFile(testsupport::ReadFileBytes(dir_ / "C/Windows/System32/config/Custom.evt"));
  }
};

TEST_F(LiveEvtFileTest, AnAppendWritesItsRecordThenTheHeader) {
  Append(Local(), u"Custom", 1, 500, 20);  // wrapped: the oldest are overwritten
  host::ClearFaults();
  ASSERT_NE(host::AppendClassicRecord(Local(), u"Custom", Fields(501, 20)), 0u);
  EXPECT_EQ(host::CallCount("WriteFile"), 2u);
  const formats::EvtFile file = OnDisk();
  EXPECT_TRUE(file.diagnostics.empty()) << file.Report();
  EXPECT_EQ(file.records.back().Number(), 501u);
}

// A write that fails at its n-th piece: the file reads without loss up to
// its last whole record, the log is what the file holds, and the next
// append puts the file right.
TEST_F(LiveEvtFileTest, AFailedWriteLosesNoRecordAlreadyThere) {
  struct Case {
    const char* what;
    unsigned failingWrite;
  };
  const Case cases[] = {{"the record", 1}, {"the header", 2}};
  uint32_t next = 1;
  for (const Case& c : cases) {
    Append(Local(), u"Custom", next, 300, 20);
    next += 300;
    const std::vector<uint32_t> before = Numbers(OnDisk());
    host::ClearFaults();
    host::InjectFault("WriteFile", c.failingWrite, ERROR_WRITE_FAULT);
    const uint32_t written = host::AppendClassicRecord(Local(), u"Custom", Fields(next, 20));
    host::ClearFaults();
    EXPECT_EQ(written, 0u) << c.what;
    const std::vector<uint32_t> after = Numbers(OnDisk());
    // What was there is still there (but what the new record overwrote).
    ASSERT_FALSE(after.empty()) << c.what;
    for (uint32_t n : before) {
      if (n < after.front()) continue;  // overwritten by the new record
      EXPECT_NE(std::find(after.begin(), after.end(), n), after.end()) << c.what << " " << n;
    }
    LogHandle h(OpenEventLogW(nullptr, u"Custom"));
    EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), after) << c.what;

    const uint32_t number = host::AppendClassicRecord(Local(), u"Custom", Fields(next + 1, 20));
    ASSERT_NE(number, 0u) << c.what;
    const formats::EvtFile repaired = OnDisk();
    EXPECT_TRUE(repaired.diagnostics.empty()) << c.what << ": " << repaired.Report();
    EXPECT_EQ(repaired.records.back().Number(), number) << c.what;
    next += 2;
  }
}

}  // namespace
}  // namespace classictest
