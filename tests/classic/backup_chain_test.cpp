// The classic reader over a log and its archived backups: finding a stored
// position in the chain, reading on through newer backups into the live log,
// and deleting backups that were read and are old enough.
#include <algorithm>
#include <fstream>

#include "base/exceptions.h"
#include "collect/backup_files.h"
#include "tests/classic/classic_fixture.h"

namespace classictest {
namespace {

class BackupChainTest : public ClassicTest {
 protected:
  void SetUp() override {
    ClassicTest::SetUp();
    Local().SetRoot(dir_.string());
    config_ = dir_ / "C/Windows/System32/config";
    std::filesystem::create_directories(config_);
  }
  // A log that archives itself when full, with `count` records appended.
  void FillArchivingLog(uint32_t count) {
    MakeLog(Local(), u"Custom", 0x10000, 0xFFFFFFFF, u"%SystemRoot%\\System32\\config\\Custom.evt", true);
    for (uint32_t i = 1; i <= count; ++i) {
      host::AdvanceClock(1000);
      ASSERT_NE(host::AppendClassicRecord(Local(), u"Custom", Fields(i, 30)), 0u);
    }
  }
  // The archives beside the log, oldest first, as the backup discovery lists them.
  std::vector<cmr::BackupFile> Archives() {
    std::vector<cmr::BackupFile> list;
    for (const auto& entry : std::filesystem::directory_iterator(config_)) {
      std::string name = entry.path().filename().string();
      if (!name.starts_with("Archive-")) continue;
      cmr::BackupFile b;
      b.IsLocal = 1;
      b.FileName = std::u16string(name.begin(), name.end());
      b.Directory = u"C:\\Windows\\System32\\config\\";
      b.Time = cmr::BackupFileTime(b.FileName);
      list.push_back(b);
    }
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.Time < b.Time; });
    return list;
  }
  std::filesystem::path config_;
};

// A position in a backup reads on through the chain; one in the live log
// skips the backups.
TEST_F(BackupChainTest, StoredPositionIsFoundInTheChainAndReadOnFrom) {
  FillArchivingLog(900);
  const std::vector<cmr::BackupFile> archives = Archives();
  ASSERT_GE(archives.size(), 2u);
  DWORD oldest = 0, count = 0;
  {
    LogHandle h(OpenEventLogW(nullptr, u"Custom"));
    ASSERT_TRUE(GetOldestEventLogRecord(h.get(), &oldest));
    ASSERT_TRUE(GetNumberOfEventLogRecords(h.get(), &count));
  }
  struct Case {
    const char* what;
    bool stored;
    cmr::LogPosition position;
    bool found;
    size_t backup;
    uint32_t first;
  } cases[] = {
      {"record 10 of the oldest archive holds event 10", true, {10, Fields(10).timeWritten}, true, 0, 11},
      {"nothing stored: from the oldest backup on", false, {}, true, 0, 1},
      {"a position that is nowhere: read from the oldest backup", true, {5, 1}, false, 0, 1},
      {"event 898 near the live log's end",
       true,
       {oldest + count - 3, Fields(898).timeWritten},
       true,
       archives.size(),
       899},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    cmr::NTEventLog reader(0x1000, 0);
    reader.Backups() = archives;
    bool found = !c.found;
    ASSERT_TRUE(reader.SeekInBackups(u"", u"Custom", c.stored ? &c.position : nullptr, &found));
    EXPECT_EQ(found, c.found);
    if (c.found) {
      EXPECT_EQ(reader.CurrentBackup(), c.backup);
    }
    EXPECT_EQ(Drain(reader, true), Range(c.first, 900));
  }
}

TEST_F(BackupChainTest, ReadBackupsAreDeletedOnceOldEnough) {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char stamp[64];
  snprintf(stamp, sizeof stamp, "Archive-X-%04u-%02u-%02u-%02u-%02u-%02u-000.evt", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond);
  const std::vector<std::string> names = {"Archive-X-2011-02-27-10-00-00-000.evt",
                                          "Archive-X-2011-03-01-10-00-00-000.evt", stamp};
  std::vector<cmr::BackupFile> list;
  for (const auto& name : names) {
    std::ofstream(config_ / name) << "x";
    list.push_back({1, u"", std::u16string(name.begin(), name.end()), 0, (config_.u16string() + u"/")});
  }
  auto exists = [&](size_t i) { return std::filesystem::exists(config_ / names[i]); };

  cmr::DeleteReadBackups(list, list.size(), 0);
  EXPECT_TRUE(exists(0) && exists(1) && exists(2));
  cmr::DeleteReadBackups(list, 1, 24);  // only what comes before the current backup
  EXPECT_FALSE(exists(0));
  EXPECT_TRUE(exists(1));
  cmr::DeleteReadBackups(list, list.size(), 24);  // stops at the young one
  EXPECT_FALSE(exists(1));
  EXPECT_TRUE(exists(2));

  EXPECT_EQ(cmr::BackupFileTime(u"Archive-X-no-time.evt"), 0);
  EXPECT_EQ(cmr::BackupFileTime(u"Archive-X-1899-01-01-00-00-00-000.evt"), 0);
  EXPECT_GT(cmr::BackupFileTime(u"Archive-X-2011-03-01-10-00-00-000.evtx"),
            cmr::BackupFileTime(u"Archive-X-2011-02-27-10-00-00-000.evt"));
  EXPECT_THROW(cmr::BackupFileTime(u"Archive-X-2011-13-01-10-00-00-000.evt"), cmr::Win32Exception);
  EXPECT_FALSE(cmr::IsOldEnough(u"Archive-X-2011-02-27-10-00-00-000.evt", 0));
}

}  // namespace
}  // namespace classictest
