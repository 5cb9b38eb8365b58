// The archives of a log on another computer, found under its administrative
// share when they are not beside the log's file.
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

class RemoteBackups : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    srv_ = &AddRemoteComputer();
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32/config");
    fs::create_directories(dir_.path() + "/srv1/C/Logs");
  }
  void CreateLog(const std::u16string& file) { MakeLog(*srv_, u"Custom", 0x10000, 0xFFFFFFFF, file, true); }

  host::Computer* srv_ = nullptr;
};

TEST_F(RemoteBackups, ArchivesUnderAdminShareAreReadWhenNotBesideTheLogFile) {
  CreateLog(u"%SystemRoot%\\System32\\config\\Custom.evt");
  for (uint32_t i = 1; i <= 900; ++i) {
    host::AdvanceClock(60000);
    ASSERT_NE(host::AppendClassicRecord(*srv_, u"Custom", Fields(i, 0)), 0u);
  }
  // The log moves to a folder of its own; its archives stay where they were.
  CreateLog(u"C:\\Logs\\Custom.evt");
  host::ClassicLogsOf(*srv_).Reload();
  ASSERT_GE(Archives(dir_.path() + "/srv1/C/Windows/System32/config", "Archive-Custom-"), 1u);

  Configure(u"Custom");
  ASSERT_EQ(RunOn(u"SRV1"), S_OK);
  const std::vector<uint32_t> ids = Collected();
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids.front(), 1u);
  EXPECT_EQ(ids, Range(1, ids.back()));
}

}  // namespace
}  // namespace collecttest
