// Channel enumeration, configuration, log information, export and archives,
// and Wevtapi.dll as a loadable module.
#include <vector>

#include "platform/api/utf.h"
#include "platform/formats/evtx_reader.h"
#include "platform/host/files/paths.h"
#include "render/variant_text.h"
#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/last_error.h"

namespace wevttest {
namespace {

using ChannelsTest = WevtTest;
namespace fs = std::filesystem;

TEST_F(ChannelsTest, NextChannelPathWithABufferOneCharacterShort) {
  AddChannelWithEvents(u"Microsoft-Windows-Sysmon/Operational", 0);
  AddChannelWithEvents(u"Application", 0);
  Handle channels(EvtOpenChannelEnum(nullptr, 0));
  ASSERT_TRUE(channels);
  std::vector<WCHAR> buffer(11);  // "Application" needs 12 with its null
  DWORD used = 0;
  EXPECT_EQ(testsupport::ErrorOf(EvtNextChannelPath(channels.get(), 11, buffer.data(), &used)),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(used, 12u);
  buffer.resize(used);
  ASSERT_TRUE(EvtNextChannelPath(channels.get(), used, buffer.data(), &used));
  EXPECT_EQ(std::u16string(buffer.data()), u"Application");
  buffer.resize(64);
  ASSERT_TRUE(EvtNextChannelPath(channels.get(), 64, buffer.data(), &used));
  EXPECT_EQ(std::u16string(buffer.data()), u"Microsoft-Windows-Sysmon/Operational");
  EXPECT_EQ(used, 37u);
  EXPECT_EQ(testsupport::ErrorOf(EvtNextChannelPath(channels.get(), 64, buffer.data(), &used)),
            static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_F(ChannelsTest, ConfigurationPropertiesAndLogInformation) {
  host::ChannelConfig c;
  c.name = u"Security";
  c.type = EvtChannelTypeOperational;
  c.classic = true;
  c.owningPublisher = u"Microsoft-Windows-Eventlog";
  c.logFilePath = u"%SystemRoot%\\System32\\Winevt\\Logs\\Security.evtx";
  c.maxSize = 20971520;
  host::AddChannel(Local(), c).nextRecordId = 500;
  host::AppendEvent(Local(), u"Security", Spec(4624));
  host::AppendEvent(Local(), u"Security", Spec(4625));

  Handle config(EvtOpenChannelConfig(nullptr, u"security", 0));
  ASSERT_TRUE(config);
  std::vector<ULONGLONG> buffer(64);
  auto* v = reinterpret_cast<EVT_VARIANT*>(buffer.data());
  DWORD used = 0;
  // Each value as type:text.
  auto text = [&](bool read) {
    EXPECT_TRUE(read);
    return plat::Utf8ToUtf16(std::to_string(v->Type)) + u":" + cmr::VariantToText(*v) + u" ";
  };
  auto property = [&](int id) { return text(EvtGetChannelConfigProperty(config.get(), id, 0, 512, v, &used)); };
  EXPECT_EQ(property(EvtChannelConfigType) + property(EvtChannelConfigClassicEventlog) +
                property(EvtChannelLoggingConfigMaxSize) + property(EvtChannelLoggingConfigLogFilePath),
            u"8:1 13:1 10:20971520 1:" + c.logFilePath + u" ");
  EXPECT_EQ(testsupport::ErrorOf(
                EvtGetChannelConfigProperty(config.get(), EvtChannelLoggingConfigLogFilePath, 0, 16, v, &used)),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(used, sizeof(EVT_VARIANT) + (((c.logFilePath.size() + 1) * 2 + 7) & ~size_t{7}));  // data in 8-byte units
  EXPECT_EQ(testsupport::ErrorOf(EvtOpenChannelConfig(nullptr, u"NoSuchLog", 0)),
            static_cast<DWORD>(ERROR_EVT_CHANNEL_NOT_FOUND));

  Handle log(EvtOpenLog(nullptr, u"Security", EvtOpenChannelPath));
  ASSERT_TRUE(log);
  EXPECT_EQ(text(EvtGetLogInfo(log.get(), EvtLogNumberOfLogRecords, 512, v, &used)) +
                text(EvtGetLogInfo(log.get(), EvtLogOldestRecordNumber, 512, v, &used)),
            u"10:2 10:500 ");
}

TEST_F(ChannelsTest, ExportedAndArchivedLogsReadBackWithTheirEvents) {
  AddChannelWithEvents(u"Application", 5, 77);
  std::string target = (dir_ / "export.evtx").string();
  std::u16string windowsTarget = host::WindowsPathOf(target);
  ASSERT_TRUE(EvtExportLog(nullptr, u"Application", nullptr, windowsTarget.c_str(), EvtExportLogChannelPath));
  auto result = formats::ReadEvtxFile(target);
  ASSERT_TRUE(result.valid);
  EXPECT_TRUE(result.diagnostics.empty());
  ASSERT_EQ(result.records.size(), 5u);
  EXPECT_EQ(result.records[0].recordId, 77u);
  EXPECT_EQ(result.records[4].recordId, 81u);
  auto system = formats::GetEvtxSystem(result.records[2].event);
  EXPECT_EQ(system[EvtSystemEventID].bits, 1002u);

  // File to file, as a conversion does; an existing target is refused.
  std::u16string second = host::WindowsPathOf((dir_ / "second.evtx").string());
  ASSERT_TRUE(EvtExportLog(nullptr, windowsTarget.c_str(), u"*", second.c_str(), EvtExportLogFilePath));
  EXPECT_EQ(formats::ReadEvtxFile((dir_ / "second.evtx").string()).records.size(), 5u);
  EXPECT_EQ(
      testsupport::ErrorOf(EvtExportLog(nullptr, windowsTarget.c_str(), nullptr, second.c_str(), EvtExportLogFilePath)),
      static_cast<DWORD>(ERROR_FILE_EXISTS));

  // An archive goes beside the log file, which is then cleared.
  Local().SetRoot((dir_ / "machine").string());
  fs::create_directories(dir_ / "machine" / "C" / "Windows" / "System32" / "winevt" / "Logs");
  AddChannelWithEvents(u"Microsoft-Windows-Test/Operational", 3);
  {
    host::Lock lock;
    auto& service = host::EventLogOf(Local());
    auto* channel = service.FindChannel(u"Microsoft-Windows-Test/Operational");
    channel->config.logFilePath = u"%SystemRoot%\\System32\\winevt\\Logs\\Microsoft-Windows-Test%4Operational.evtx";
    std::string archive;
    ASSERT_EQ(service.Archive(*channel, &archive), 0u);
    std::string name = fs::path(archive).filename().string();
    EXPECT_TRUE(name.starts_with("Archive-Microsoft-Windows-Test%4Operational-")) << name;
    EXPECT_EQ(name.size(), std::string("Archive-Microsoft-Windows-Test%4Operational-").size() + 23 + 5) << name;
    EXPECT_EQ(formats::ReadEvtxFile(archive).records.size(), 3u);
    EXPECT_EQ(channel->RecordCount(), 0u);
  }
  EXPECT_EQ(host::AppendEvent(Local(), u"Microsoft-Windows-Test/Operational", Spec(1)), 1u);
}

TEST_F(ChannelsTest, WevtapiIsReachedThroughLoadLibrary) {
  HMODULE library = LoadLibraryW(u"Wevtapi.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(LoadLibraryW(u"C:\\Windows\\System32\\WEVTAPI"), library);
  auto next = reinterpret_cast<PFN_EvtNext>(GetProcAddress(library, "EvtNext"));
  EXPECT_EQ(next, &EvtNext);
  EXPECT_EQ(testsupport::ErrorOf(GetProcAddress(library, "EvtSubscribe")), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_FALSE(FreeLibrary(library));

  host::SetWevtapiAvailable(false);
  EXPECT_EQ(testsupport::ErrorOf(LoadLibraryW(u"Wevtapi.dll")), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  host::SetWevtapiAvailable(true);
}

}  // namespace
}  // namespace wevttest
