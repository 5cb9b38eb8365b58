// A log that archives itself when full, collected run after run while it
// grows: the backups are read through into the live log, and read backups
// are deleted once old enough.
#include <set>

#include "tests/collect/collect_fixture.h"

namespace collecttest {
namespace {

class BackupCollection : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    Local().SetRoot(dir_.path() + "/machine");
    fs::create_directories(ConfigDir());
    SetSystemRoot();
    MakeLog(u"Custom", 0x10000, 0xFFFFFFFF, u"%SystemRoot%\\System32\\config\\Custom.evt", true);
    Configure(u"Custom");
  }
  std::string ConfigDir() const { return dir_.path() + "/machine/C/Windows/System32/config"; }
  size_t Archives() const { return CollectFixture::Archives(ConfigDir()); }
  void Grow(uint32_t first, uint32_t count) { CollectFixture::Grow(Local(), u"Custom", first, count); }
  std::vector<uint32_t> RunAndCollect(WORD deleteAfterHours = 0) {
    EXPECT_EQ(Run(true, deleteAfterHours), S_OK);
    EXPECT_TRUE(ReadConfig().LastEventFound) << cmr::Utf16ToUtf8(ReadConfig().Warning);
    std::vector<uint32_t> ids = Collected();
    AdvancePosition();
    return ids;
  }
};

TEST_F(BackupCollection, ManyRunsOverAGrowingLogCollectEveryRecordOnce) {
  std::vector<uint32_t> all;
  uint32_t next = 1;
  for (uint32_t batch : {700u, 50u, 1200u, 1u, 0u, 900u}) {
    Grow(next, batch);
    next += batch;
    for (uint32_t id : RunAndCollect()) all.push_back(id);
  }
  EXPECT_GE(Archives(), 2u);
  EXPECT_EQ(all, Range(1, next - 1));
}

// A run that cannot list the backups, or goes past one it cannot read,
// names them in its warning; a NULL computer is the local one, whose
// backups are read.
TEST_F(BackupCollection, BackupsThatCannotBeListedOrReadAreNamedInTheWarning) {
  Grow(1, 1200);
  ASSERT_GE(Archives(), 2u);
  ExpectArchiveFaultsNamed(u"Custom", 0, 1200,
                           {{"FindNextFileW", kArchivesNotListed},
                            {"OpenBackupEventLogW", kArchiveNotRead},
                            {"ReadEventLogW", kArchiveNotRead}});

  Configure(u"Custom");
  ASSERT_EQ(RunOn(nullptr), S_OK);
  EXPECT_EQ(ReadConfig().Warning, u"");
  EXPECT_EQ(Collected(), Range(1, 1200));
}

TEST_F(BackupCollection, ReadBackupsAreDeletedOnlyWhenOldEnough) {
  Grow(1, 1500);
  const size_t archives = Archives();
  ASSERT_GE(archives, 2u);
  EXPECT_EQ(RunAndCollect(1000), Range(1, 1500));  // read, but younger than 1000 hours
  EXPECT_EQ(Archives(), archives);
  host::AdvanceClock(1001ULL * 3600 * 1000);
  Grow(1501, 10);
  EXPECT_EQ(RunAndCollect(1000), Range(1501, 1510));
  EXPECT_EQ(Archives(), 0u);
}

}  // namespace
}  // namespace collecttest
