// The real System log of a Windows XP computer collected as a given file:
// every record exactly once and in order, as the platform reads it, and
// nothing again from the stored position.
#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

const std::string kSystemLog = EC_TESTDATA_DIR "/logs/SysEvent.Evt";

struct Position {
  uint32_t record, time;
  bool operator==(const Position&) const = default;
};

// Every record of the file as ReadEventLogW hands them out.
std::vector<Position> PlatformRecords(const std::u16string& path) {
  std::vector<Position> records;
  HANDLE log = OpenBackupEventLogW(nullptr, path.c_str());
  EXPECT_NE(log, nullptr);
  std::vector<uint8_t> buffer(0x10000);
  for (;;) {
    DWORD read = 0, needed = 0;
    if (!ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
      if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(needed);
        continue;
      }
      break;
    }
    for (DWORD at = 0; at < read;) {
      auto* r = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + at);
      records.push_back({r->RecordNumber, r->TimeWritten});
      at += r->Length;
    }
  }
  CloseEventLog(log);
  return records;
}

class RealFileCollection : public CollectFixture {};

TEST_F(RealFileCollection, EveryRecordOnceInOrderThenNothingNew) {
  if (!fs::exists(kSystemLog)) GTEST_SKIP() << "test data absent: " << kSystemLog;
  const std::u16string path = host::WindowsPathOf(kSystemLog);
  const std::vector<Position> expected = PlatformRecords(path);
  ASSERT_GT(expected.size(), 100u);

  cmr::CTaskEventLog config = Configuration(u"System");
  config.LoadFromEvtFile = path;
  WriteConfig(config);
  ASSERT_EQ(Run(), S_OK);
  cmr::CTaskEventLog result = ReadConfig();
  ASSERT_EQ(result.ErrorStatus, 0) << cmr::Utf16ToUtf8(result.ErrorText);
  std::vector<Position> collected;
  for (const auto& e : ReadEntries(EventFilePath()))
    collected.push_back({cmr::ParseUInt32(FieldOf(e, u"RN"), 16), cmr::ParseUInt32(FieldOf(e, u"TWN"), 16)});
  EXPECT_EQ(collected, expected);

  AdvancePosition();
  ASSERT_EQ(Run(), S_OK);
  result = ReadConfig();
  EXPECT_EQ(result.EventFileName, u"");
  EXPECT_TRUE(result.LastEventFound);
  EXPECT_EQ(EventFiles().size(), 1u);
}

}  // namespace
}  // namespace collecttest
