// Channels of a machine folder: log files described by the registry export.
#include <fstream>

#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/machine_channels.h"
#include "platform/host/registry/registry_file.h"
#include "tests/host_evt/wevt_fixture.h"

namespace wevttest {
namespace {

using MachineChannelsTest = WevtTest;
namespace fs = std::filesystem;

TEST_F(MachineChannelsTest, LogFilesAndRegistryMakeTheChannels) {
  fs::path logs = dir_ / "machine" / "C" / "Windows" / "System32" / "winevt" / "Logs";
  fs::create_directories(logs);
  const std::vector<formats::EvtxRecord> records = Records(3, 10);
  std::string error;
  ASSERT_TRUE(formats::WriteEvtxFile((logs / "Microsoft-Windows-Test%4Operational.evtx").string(), records, error));
  ASSERT_TRUE(formats::WriteEvtxFile((logs / "Application.evtx").string(), {records[0]}, error));
  ASSERT_TRUE(formats::WriteEvtxFile((logs / "Archive-Application-2011-03-01-10-00-00-000.evtx").string(), {}, error));

  fs::path reg = dir_ / "machine.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application]\r\n"
                        "\"MaxSize\"=dword:01400000\r\n"
                        "\"Retention\"=dword:00000000\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Channels\\"
                        "Microsoft-Windows-Test/Operational]\r\n"
                        "\"Enabled\"=dword:00000001\r\n"
                        "\"Type\"=dword:00000001\r\n"
                        "\"OwningPublisher\"=\"{12345678-1234-1234-1234-123456789ABC}\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Channels\\"
                        "Microsoft-Windows-Test/Debug]\r\n"
                        "\"Enabled\"=dword:00000000\r\n"
                        "\"Type\"=dword:00000003\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\"
                        "{12345678-1234-1234-1234-123456789ABC}]\r\n"
                        "@=\"Microsoft-Windows-Test\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\"
                        "{12345678-1234-1234-1234-123456789ABC}\\ChannelReferences\\0]\r\n"
                        "@=\"Microsoft-Windows-Test/Operational\"\r\n"
                        "\"Id\"=dword:00000010\r\n";
  Local().SetRoot((dir_ / "machine").string());
  std::string message;
  ASSERT_EQ(host::ImportRegFile(Local(), reg.string(), &message), 0u) << message;
  EXPECT_EQ(host::LoadMachineChannels(Local()), 3u);

  host::Lock lock;
  auto& service = host::EventLogOf(Local());
  EXPECT_EQ(service.ChannelNames(), (std::vector<std::u16string>{u"Application", u"Microsoft-Windows-Test/Debug",
                                                                 u"Microsoft-Windows-Test/Operational"}));
  auto* app = service.FindChannel(u"Application");
  EXPECT_TRUE(app->config.classic);
  EXPECT_EQ(app->config.maxSize, 0x01400000u);
  EXPECT_EQ(app->RecordCount(), 1u);
  auto* test = service.FindChannel(u"Microsoft-Windows-Test/Operational");
  EXPECT_FALSE(test->config.classic);
  EXPECT_EQ(test->config.type, 1u);
  EXPECT_EQ(test->config.owningPublisher, u"Microsoft-Windows-Test");
  EXPECT_EQ(test->RecordCount(), 3u);
  EXPECT_EQ(test->nextRecordId, 13u);
  auto* debug = service.FindChannel(u"Microsoft-Windows-Test/Debug");
  EXPECT_FALSE(debug->config.enabled);
  EXPECT_EQ(debug->RecordCount(), 0u);
  auto* publisher = service.FindPublisher(u"Microsoft-Windows-Test");
  ASSERT_NE(publisher, nullptr);
  ASSERT_EQ(publisher->channels.size(), 1u);
  EXPECT_EQ(publisher->channels[0].id, 16u);

  // Appending writes the log file back.
  host::AppendEvent(Local(), u"Application", Spec(9));
  EXPECT_EQ(formats::ReadEvtxFile((logs / "Application.evtx").string()).records.size(), 2u);
}

}  // namespace
}  // namespace wevttest
