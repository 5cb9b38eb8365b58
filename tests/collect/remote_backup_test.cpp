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
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32/config");
    fs::create_directories(dir_.path() + "/srv1/C/Logs");
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32/winevt/Logs");
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

TEST_F(RemoteBackups, ChannelArchivesAreFoundThroughTheSharesAndReadIntoTheLiveChannel) {
  host::ChannelConfig config;
  config.name = u"Remote/Chain";
  host::AddChannel(*srv_, config);
  auto append = [&](uint32_t first, uint32_t count) {
    for (uint32_t n = first; n < first + count; ++n)
      ASSERT_NE(host::AppendEvent(*srv_, u"Remote/Chain", EventSpec(n)), 0u);
  };
  append(1, 3);
  host::AdvanceClock(3600000);
  {
    host::Lock lock;
    auto& service = host::EventLogOf(*srv_);
    ASSERT_EQ(service.Archive(*service.FindChannel(u"Remote/Chain")), 0u);
  }
  append(4, 2);
  Configure(u"Remote/Chain", 0, 0, false, 2);
  ASSERT_EQ(RunOn(u"SRV1"), S_OK);
  EXPECT_EQ(Collected(), Range(1, 5));
}

}  // namespace
}  // namespace collecttest
