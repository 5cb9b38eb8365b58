// The archives of the logs of another computer: a classic log's found under
// its administrative share when they are not beside the log's file, a
// channel's through the computer's shares.
#include "platform/host/evt/event_channels.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

class RemoteBackups : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    srv_ = &AddRemoteComputer();
    for (const char* folder :
         {"/srv1/C/Windows/System32/config", "/srv1/C/Logs", "/srv1/C/Windows/System32/winevt/Logs"})
      fs::create_directories(dir_.path() + folder);
  }
  void CreateLog(const std::u16string& file) { MakeLog(*srv_, u"Custom", 0x10000, 0xFFFFFFFF, file, true); }

  host::Computer* srv_ = nullptr;
};

TEST_F(RemoteBackups, ArchivesUnderAdminShareAreReadWhenNotBesideTheLogFile) {
  CreateLog(u"%SystemRoot%\\System32\\config\\Custom.evt");
  Grow(*srv_, u"Custom", 1, 900);
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

TEST_F(RemoteBackups, ChannelArchivesAreFoundThroughTheSharesAndReadIntoTheLiveChannel) {
  host::ChannelConfig config;
  config.name = u"Remote/Chain";
  host::AddChannel(*srv_, config);
  AppendEvents(u"Remote/Chain", 1, 3, srv_);
  ArchiveChannel(*srv_, u"Remote/Chain");
  AppendEvents(u"Remote/Chain", 4, 2, srv_);
  Configure(u"Remote/Chain", 0, 0, false, 2);
  ASSERT_EQ(RunOn(u"SRV1"), S_OK);
  EXPECT_EQ(Collected(), Range(1, 5));
}

}  // namespace
}  // namespace collecttest
