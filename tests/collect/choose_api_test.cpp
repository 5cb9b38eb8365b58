// The choice of the interface a log is read with.
#include "base/error_report.h"
#include "collect/log_collector.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/faults/faults.h"
#include "tests/collect/collect_fixture.h"

namespace collecttest {
namespace {

class ChooseApi : public CollectFixture {};

TEST_F(ChooseApi, ThePreferredInterfaceWhereTheLogExistsElseTheOther) {
  MakeLog(u"ClassicOnly");
  MakeChannel(u"ChannelOnly");
  MakeChannel(u"Both");
  MakeLog(u"Both");
  struct Case {
    const char16_t* log;
    int32_t preferred, fallback, used;
  } cases[] = {
      {u"ClassicOnly", 1, 2, 1}, {u"ChannelOnly", 1, 2, 2}, {u"Both", 1, 2, 1},
      {u"Both", 2, 1, 2},        {u"ClassicOnly", 2, 1, 1}, {u"Both", 0, 1, 0},
  };
  for (const Case& c : cases) {
    int32_t used = -1;
    EXPECT_EQ(cmr::ChooseLogApi(u"", c.log, c.preferred, c.fallback, used), S_OK);
    EXPECT_EQ(used, c.used) << cmr::Utf16ToUtf8(c.log) << " " << c.preferred;
  }
  int32_t used = -1;
  EXPECT_EQ(cmr::ChooseLogApi(u"", u"Nowhere", 1, 2, used), E_FAIL);
  EXPECT_EQ(cmr::GetErrorText(E_FAIL),
            u"Event log 'Nowhere' does not exist (API used: NT, Vista) (Error number: 0x80004005)");
  EXPECT_EQ(cmr::ChooseLogApi(u"", u"Both", 0, 0, used), E_FAIL);
  EXPECT_EQ(cmr::GetErrorText(E_FAIL), u"Failed to open log 'Both': API is not available (Error number: 0x80004005)");
  EXPECT_EQ(cmr::ChooseLogApi(u"NOSUCH", u"Both", 1, 0, used), static_cast<HRESULT>(0x80070035));
}

TEST_F(ChooseApi, AChannelOnlyLogIsCollectedThroughTheWindowsEventLog) {
  MakeChannel(u"ChannelOnly");
  Configure(u"ChannelOnly", 0, 0, true);
  ASSERT_EQ(Run(), S_OK);  // classic preferred, missing: the channel, empty, so 1:1
  EXPECT_TRUE(Collected().empty());
  EXPECT_EQ(ReadConfig().EventFileName, u"WORKSTATION1_ChannelOnly_1_1_1_1.adevt");
}

}  // namespace
}  // namespace collecttest
