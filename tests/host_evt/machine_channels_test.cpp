// Channels of a machine folder: log files described by the registry export.
#include <fstream>
#include <tuple>

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
  // Name, classic, maximum size, type, owning publisher, enabled, records, next record id.
  std::vector<std::tuple<std::u16string, bool, uint64_t, uint32_t, std::u16string, bool, uint64_t, uint64_t>> got;
  for (const std::u16string& name : service.ChannelNames()) {
    auto* c = service.FindChannel(name);
    got.emplace_back(name, c->config.classic, c->config.maxSize, c->config.type, c->config.owningPublisher,
                     c->config.enabled, c->RecordCount(), c->nextRecordId);
  }
  EXPECT_EQ(got, (decltype(got){
                     {u"Application", true, 0x01400000, 0, u"", true, 1, 11},
                     {u"Microsoft-Windows-Test/Debug", false, 1052672, 3, u"", false, 0, 1},
                     {u"Microsoft-Windows-Test/Operational", false, 1052672, 1, u"Microsoft-Windows-Test", true, 3, 13},
                 }));
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
