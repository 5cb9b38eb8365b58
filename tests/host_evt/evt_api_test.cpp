// The component's binding of Wevtapi.dll: loading, channel existence and
// list, log file path, and the channel fields of a log info entry.

#include "render/evt_api.h"
#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "collect/evt_channels.h"
#include "platform/host/kernel/locale.h"
#include "platform/host/modules/module_table.h"
#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/last_error.h"
#include "tests/support/trace_file.h"

using namespace cmr;

namespace wevttest {
namespace {

class EvtApiTest : public WevtTest {
 protected:
  void SetUp() override {
    WevtTest::SetUp();
    ASSERT_TRUE(api_.Load());
    host::ChannelConfig c;
    c.name = u"Microsoft-Windows-Test/Operational";
    c.type = EvtChannelTypeOperational;
    c.owningPublisher = u"Microsoft-Windows-Test";
    c.logFilePath = u"%SystemRoot%\\System32\\Winevt\\Logs\\Microsoft-Windows-Test%4Operational.evtx";
    host::AddChannel(Local(), c);
    host::AppendEvent(Local(), c.name, Spec(1));
    host::AppendEvent(Local(), c.name, Spec(2));
    host::Publisher p;
    p.name = u"Microsoft-Windows-Test";
    p.channels.push_back({u"Application", 0, 9, 0, 0xFFFFFFFFu});
    p.channels.push_back({c.name, 1, 16, 0, 0x90000003u});
    p.messages[0x0407][0x90000003u] = u"Test-Betrieb";
    p.messages[0x0409][0x90000003u] = u"Test Operational";
    host::Lock lock;
    host::EventLogOf(Local()).AddPublisher(p);
  }
  void TearDown() override {
    api_.Unload();
    host::SetSystemLocale(0x0409);
    WevtTest::TearDown();
  }

  cmr::LogInfoEntry Info(LCID language) {
    cmr::LogInfoEntry entry;
    entry.Name = u"Microsoft-Windows-Test/Operational";
    entry.DisplayName = u"unchanged";
    GetChannelInfo(api_, nullptr, language, entry);
    return entry;
  }

  std::string TraceText(const std::function<void()>& action) {
    testsupport::TraceFile trace(dir_ / "trace.log", 10);
    action();
    return trace.Text();
  }

  EvtApi api_;
};

TEST_F(EvtApiTest, LoadBindsEveryFunctionAndUnloadFreesTheLibrary) {
  EXPECT_TRUE(api_.IsLoaded());
  EXPECT_NE(api_.EvtUpdateBookmark, nullptr);
  EXPECT_EQ(api_.EvtNext, &EvtNext);
  size_t modules = host::LoadedModuleCount();
  api_.Unload();
  EXPECT_EQ(api_.EvtNext, nullptr);
  EXPECT_EQ(host::LoadedModuleCount(), modules - 1);
  host::SetWevtapiAvailable(false);
  EXPECT_EQ(testsupport::ErrorOf(api_.Load()), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(api_.EvtOpenSession, nullptr);
  bool found = true;
  EXPECT_EQ(testsupport::ErrorOf(ChannelExists(api_, u"", u"Application", &found)),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(found);
}

TEST_F(EvtApiTest, ALibraryLackingAFunctionIsNotLoaded) {
  api_.Unload();
  const size_t modules = host::LoadedModuleCount();
  for (unsigned nth : {1u, 9u, 24u}) {  // the first, EvtNext, the last
    host::InjectFault("GetProcAddress", nth, ERROR_PROC_NOT_FOUND);
    EXPECT_FALSE(api_.Load()) << nth;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << nth;
    EXPECT_FALSE(api_.IsLoaded()) << nth;
    EXPECT_EQ(api_.EvtNext, nullptr) << nth;
    EXPECT_EQ(host::LoadedModuleCount(), modules) << nth;
    host::ClearFaults();
  }
  EXPECT_TRUE(api_.Load());
}

TEST_F(EvtApiTest, ChannelExistsListAndLogFilePath) {
  AddChannelWithEvents(u"Application", 0);
  bool found = false;
  ASSERT_TRUE(ChannelExists(api_, u"", u"APPLICATION", &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_TRUE(ChannelExists(api_, u"", u"Nothing", &found));
  EXPECT_FALSE(found);
  EXPECT_EQ(testsupport::ErrorOf(ChannelExists(api_, u"OFFLINE", u"Application", &found)),
            static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

  EVT_HANDLE session = OpenSession(api_, u"");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(ListChannels(api_, session),
            (std::vector<std::u16string>{u"Application", u"Microsoft-Windows-Test/Operational"}));
  host::InjectFault("EvtNextChannelPath", 2, ERROR_ACCESS_DENIED);
  EXPECT_THROW(ListChannels(api_, session), cmr::Win32Exception);
  CloseEvtHandle(api_, session);

  EXPECT_EQ(GetChannelLogFilePath(api_, u"", u"Microsoft-Windows-Test/Operational"),
            u"%SystemRoot%\\System32\\Winevt\\Logs\\Microsoft-Windows-Test%4Operational.evtx");
  try {
    GetChannelLogFilePath(api_, u"", u"Missing");
    ADD_FAILURE() << "no exception";
  } catch (const cmr::Win32Exception& e) {
    EXPECT_EQ(e.Code(), ERROR_EVT_CHANNEL_NOT_FOUND);
  }
}

TEST_F(EvtApiTest, ChannelInfoWithDisplayNameFromThePublisher) {
  cmr::LogInfoEntry entry = Info(0x0407);
  EXPECT_EQ(entry.ChannelType, 1);
  EXPECT_EQ(entry.Enabled, 1);
  EXPECT_EQ(entry.API, cmr::kApiVista);
  EXPECT_EQ(entry.NumOfRecords, 2u);
  EXPECT_EQ(entry.DisplayName, u"Test-Betrieb");
  // Not found in the language asked for: retried in the system locale's.
  EXPECT_EQ(Info(0x040C).DisplayName, u"Test Operational");  // French: none; the system locale is English
  host::SetSystemLocale(0x0411);                             // Japanese: none either
  EXPECT_EQ(Info(0x040C).DisplayName, u"unchanged");
  EXPECT_EQ(host::CallCount("EvtFormatMessage"), 5u);
}

TEST_F(EvtApiTest, DisabledChannelIsNotCountedAndFailedReadsAreTraced) {
  host::InjectFault("EvtOpenLog", 1, ERROR_ACCESS_DENIED);
  std::string text = TraceText([&] { EXPECT_EQ(Info(0x0409).NumOfRecords, 0u); });
  EXPECT_NE(text.find("Error while open event log 'Microsoft-Windows-Test/Operational' handle: 5"), std::string::npos);
  host::InjectFault("EvtGetLogInfo", 1, ERROR_INVALID_DATA);
  text = TraceText([&] { Info(0x0409); });
  EXPECT_NE(text.find("Error while reading event log 'Microsoft-Windows-Test/Operational' record num: 13"),
            std::string::npos);
  host::ClearFaults();
  {
    host::Lock lock;
    host::EventLogOf(Local()).FindChannel(u"Microsoft-Windows-Test/Operational")->config.enabled = false;
  }
  cmr::LogInfoEntry entry = Info(0x0409);
  EXPECT_EQ(entry.Enabled, 0);
  EXPECT_EQ(entry.NumOfRecords, 0u);
  EXPECT_EQ(host::CallCount("EvtOpenLog"), 0u);

  host::InjectFault("EvtGetChannelConfigProperty", 2, ERROR_ACCESS_DENIED);  // enabled
  host::InjectFault("EvtGetChannelConfigProperty", 3, ERROR_INVALID_DATA);   // classic flag
  text = TraceText([&] { Info(0x0409); });
  EXPECT_NE(text.find("Error while reading event log 'Microsoft-Windows-Test/Operational' EvtChannelConfigEnabled: 5"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Error while reading event log 'Microsoft-Windows-Test/Operational' "
                      "EvtChannelConfigClassicEventlog: 13"),
            std::string::npos)
      << text;

  host::ClearFaults();
  host::InjectFault("EvtGetChannelConfigProperty", 1, ERROR_ACCESS_DENIED);
  text = TraceText([&] { EXPECT_EQ(Info(0x0409).DisplayName, u"unchanged"); });
  EXPECT_NE(text.find("Error while reading event log 'Microsoft-Windows-Test/Operational' type: 5"), std::string::npos);
  EXPECT_EQ(host::CallCount("EvtGetChannelConfigProperty"), 1u);  // the type read stops the work

  text = TraceText([&] {
    cmr::LogInfoEntry missing;
    missing.Name = u"Gone";
    GetChannelInfo(api_, nullptr, 0x0409, missing);
  });
  EXPECT_NE(text.find("Error while open event log 'Gone' config: 15007"), std::string::npos) << text;
}

}  // namespace
}  // namespace wevttest
