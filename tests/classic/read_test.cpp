// ReadEventLogW against documented Windows behaviour: the buffer protocol,
// both directions, seeks, the end of the log, and logs that change under an
// open reader.
#include <fstream>

#include "platform/formats/evt_layout.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/file_bytes.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/last_error.h"

namespace classictest {
namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
constexpr DWORD kSeekForwards = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kSeekBackwards = EVENTLOG_SEEK_READ | EVENTLOG_BACKWARDS_READ;

using ReadTest = ClassicTest;

// The bytes Windows writes for a record of this computer.
std::vector<uint8_t> Expected(uint32_t number, size_t textLength) {
  formats::EvtRecordFields f = Fields(number, textLength);
  f.computer = host::kDefaultComputerName;
  f.recordNumber = number;
  return formats::BuildEvtRecord(f);
}

TEST_F(ReadTest, ShortBufferGivesTheExactBytesOfTheNextRecordAndRecordsNeverSplit) {
  MakeLog(Local(), u"Application");
  ASSERT_EQ(host::AppendClassicRecord(Local(), u"Application", Fields(1, 8)), 1u);
  ASSERT_EQ(host::AppendClassicRecord(Local(), u"Application", Fields(2, 40)), 2u);
  ASSERT_EQ(host::AppendClassicRecord(Local(), u"Application", Fields(3, 8)), 3u);
  const auto first = Expected(1, 8), second = Expected(2, 40);
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  ASSERT_TRUE(h);

  ReadResult r = Read(h.get(), kForwards, 0, static_cast<DWORD>(first.size() - 1));
  EXPECT_EQ(r.error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(r.needed, first.size());

  // Room for one record and most of the next: only whole records.
  std::vector<uint8_t> buffer(first.size() + second.size() - 1);
  DWORD read = 0, needed = 0;
  ASSERT_TRUE(ReadEventLogW(h.get(), kForwards, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &needed));
  ASSERT_EQ(read, first.size());
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + read), first);

  r = Read(h.get(), kForwards, 0, 16);
  EXPECT_EQ(r.error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(r.needed, second.size());
  EXPECT_EQ(Read(h.get(), kForwards).numbers, (std::vector<uint32_t>{2, 3}));
  EXPECT_EQ(Read(h.get(), kForwards).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
}

TEST_F(ReadTest, SequentialAndSeekReadsInBothDirections) {
  MakeLog(Local(), u"Application");
  Append(Local(), u"Application", 1, 10);
  {
    LogHandle h(OpenEventLogW(u"", u"Application"));
    EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ, 300), Range(1, 10));
  }
  {
    LogHandle h(OpenEventLogW(nullptr, u"application"));
    const std::vector<uint32_t> forwards = Range(1, 10);
    EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_BACKWARDS_READ, 300),
              std::vector<uint32_t>(forwards.rbegin(), forwards.rend()));
  }
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  EXPECT_EQ(Read(h.get(), kSeekBackwards, 3).numbers, (std::vector<uint32_t>{3, 2, 1}));
  EXPECT_EQ(Read(h.get(), kBackwards).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
  // A seek read sets the position that sequential reads go on from.
  EXPECT_EQ(Read(h.get(), kSeekForwards, 7, 200).numbers, (std::vector<uint32_t>{7}));
  EXPECT_EQ(Read(h.get(), kForwards).numbers, (std::vector<uint32_t>{8, 9, 10}));
  EXPECT_EQ(Read(h.get(), kForwards).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
  Append(Local(), u"Application", 11, 1);
  EXPECT_EQ(Read(h.get(), kForwards).numbers, (std::vector<uint32_t>{11}));

  EXPECT_EQ(Read(h.get(), kSeekForwards, 12).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Read(h.get(), EVENTLOG_SEEK_READ | kForwards).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Read(h.get(), EVENTLOG_SEQUENTIAL_READ).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ReadTest, RecordsThatRolledOutAreGone) {
  MakeLog(Local(), u"Application", 0x10000);
  Append(Local(), u"Application", 1, 5);
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  ASSERT_EQ(Read(h.get(), kForwards, 0, 200).numbers, (std::vector<uint32_t>{1}));
  Append(Local(), u"Application", 6, 1500);

  DWORD oldest = 0, count = 0;
  ASSERT_TRUE(GetOldestEventLogRecord(h.get(), &oldest));
  ASSERT_TRUE(GetNumberOfEventLogRecords(h.get(), &count));
  ASSERT_GT(oldest, 2u);
  EXPECT_EQ(oldest + count - 1, 1505u);
  // A seek to a record that rolled out, and sequential reading past it.
  EXPECT_EQ(Read(h.get(), kSeekForwards, oldest - 1).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Read(h.get(), kForwards).error, static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  EXPECT_EQ(Read(h.get(), kSeekForwards, oldest, 200).numbers, (std::vector<uint32_t>{oldest}));
  EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), Range(oldest + 1, 1505));
}

TEST_F(ReadTest, ClearedLogCannotBeReadThroughHandlesOpenedBeforeAndAFailedReadMovesNothing) {
  MakeLog(Local(), u"Application");
  Append(Local(), u"Application", 1, 3);
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  ASSERT_EQ(Read(h.get(), kForwards).numbers.size(), 3u);
  ASSERT_EQ(host::ClearClassicLog(Local(), u"Application"), 0u);
  Append(Local(), u"Application", 10, 2);
  EXPECT_EQ(Read(h.get(), kForwards).error, static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  EXPECT_EQ(Read(h.get(), kSeekForwards, 1).error, static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  LogHandle again(OpenEventLogW(nullptr, u"Application"));
  host::InjectFault("ReadEventLogW", 1, ERROR_NOT_ENOUGH_MEMORY);  // a failed read moves nothing
  EXPECT_EQ(Read(again.get(), kForwards).error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(ReadToEnd(again.get(), EVENTLOG_FORWARDS_READ), Range(1, 2));
}

TEST_F(ReadTest, FullLogAndItsInformation) {
  MakeLog(Local(), u"Application", 0x10000, formats::kEvtRetainForever);
  uint32_t written = 0;
  while (host::AppendClassicRecord(Local(), u"Application", Fields(written + 1)) != 0) ++written;
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  EVENTLOG_FULL_INFORMATION info{};
  DWORD needed = 0;
  EXPECT_EQ(testsupport::ErrorOf(GetEventLogInformation(h.get(), EVENTLOG_FULL_INFO, &info, 2, &needed)),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, sizeof info);
  ASSERT_TRUE(GetEventLogInformation(h.get(), EVENTLOG_FULL_INFO, &info, sizeof info, &needed));
  EXPECT_NE(info.dwFull, 0u);
  EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), Range(1, written));
}

}  // namespace
}  // namespace classictest
