// Computers described by machine folders: the registry export names the log
// files, which are read and appended in place and reached through the
// administrative shares too.
#include <fstream>

#include "collect/event_log_list.h"
#include "platform/formats/evt_reader.h"
#include "platform/host/machine/machine_folder.h"
#include "platform/host/registry/registry_file.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/file_text.h"
#include "tests/support/last_error.h"

namespace classictest {
namespace {

class MachineFolderTest : public ClassicTest {
 protected:
  // A folder with a registry export naming two .evt logs.
  std::filesystem::path MakeFolder(const std::string& name) {
    std::filesystem::path root = dir_ / name;
    std::filesystem::create_directories(root / "C/Windows/System32/config");
    std::ofstream(root / "system.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application]\r\n"
           "\"File\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,5c,00,53,00,79,"
           "00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,63,00,6f,00,6e,00,66,00,69,00,67,00,5c,00,41,00,70,00,70,"
           "00,45,00,76,00,65,00,6e,00,74,00,2e,00,45,00,76,00,74,00,00,00\r\n"
           "\"MaxSize\"=dword:00080000\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\System]\r\n"
           "\"File\"=\"%SystemRoot%\\\\System32\\\\config\\\\SysEvent.Evt\"\r\n"
           "\"MaxSize\"=dword:00080000\r\n"
           "\"Retention\"=dword:00000000\r\n";
    return root;
  }
};

TEST_F(MachineFolderTest, LogsAreTheFilesTheRegistryNamesReadAndAppendedInPlace) {
  std::filesystem::path root = MakeFolder("server2");
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  std::vector<std::string> diagnostics;
  ASSERT_EQ(host::LoadMachineFolder(server, root.string(), &diagnostics), 0u);
  Append(server, u"System", 1, 4);
  Append(server, u"Application", 1, 2);

  // The records are in the log file the registry names.
  const std::filesystem::path config = root / "C/Windows/System32/config";
  EXPECT_EQ(formats::ReadEvtFile(testsupport::ReadFileBytes(config / "SysEvent.Evt")).records.size(), 4u);
  EXPECT_EQ(formats::ReadEvtFile(testsupport::ReadFileBytes(config / "AppEvent.Evt")).records.size(), 2u);

  // Another computer made from the same folder sees the same logs.
  host::Computer& twin = host::Host::Get().Add(u"SERVER3");
  ASSERT_EQ(host::LoadMachineFolder(twin, root.string()), 0u);
  LogHandle h(OpenEventLogW(u"\\\\SERVER3", u"System"));
  ASSERT_TRUE(h);
  EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), Range(1, 4));
  for (const char16_t* path : {u"\\\\SERVER2\\C$\\Windows\\System32\\config\\SysEvent.Evt",
                               u"\\\\SERVER2\\ADMIN$\\System32\\config\\SysEvent.Evt"}) {
    LogHandle b(OpenBackupEventLogW(nullptr, path));
    ASSERT_TRUE(b) << GetLastError();
    EXPECT_EQ(ReadToEnd(b.get(), EVENTLOG_FORWARDS_READ), Range(1, 4));
  }
  // A record appended on one computer reaches readers of the other.
  Append(server, u"System", 5, 1);
  LogHandle again(OpenEventLogW(u"\\\\SERVER3", u"System"));
  EXPECT_EQ(ReadToEnd(again.get(), EVENTLOG_FORWARDS_READ), Range(1, 5));

  // The registry exported and loaded again describes the same computer.
  std::filesystem::path copy = dir_ / "copy";
  std::filesystem::create_directories(copy);
  std::filesystem::copy(root / "C", copy / "C", std::filesystem::copy_options::recursive);
  ASSERT_EQ(host::ExportRegFile(server, u"HKEY_LOCAL_MACHINE\\SYSTEM", (copy / "export.reg").string()), 0u);
  host::Computer& third = host::Host::Get().Add(u"SERVER4");
  ASSERT_EQ(host::LoadMachineFolder(third, copy.string()), 0u);
  std::vector<std::u16string> names;
  ASSERT_TRUE(cmr::ListEventLogs(u"\\\\SERVER4", names));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Application", u"System"}));
  LogHandle third_h(OpenEventLogW(u"SERVER4", u"Application"));
  EXPECT_EQ(ReadToEnd(third_h.get(), EVENTLOG_FORWARDS_READ), Range(1, 2));
}

TEST_F(MachineFolderTest, RealLogFileIsAppendedWithoutLosingARecord) {
  const std::string sample = EC_TESTDATA_DIR "/logs/SysEvent.Evt";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no " << sample;
  std::filesystem::path root = MakeFolder("xp");
  const std::filesystem::path file = root / "C/Windows/System32/config/SysEvent.Evt";
  std::filesystem::copy_file(sample, file);
  const formats::EvtFile before = formats::ReadEvtFile(testsupport::ReadFileBytes(file));
  ASSERT_FALSE(before.records.empty());

  host::Computer& xp = host::Host::Get().Add(u"XP");
  ASSERT_EQ(host::LoadMachineFolder(xp, root.string()), 0u);
  const uint32_t number = host::AppendClassicRecord(xp, u"System", Fields(77));
  EXPECT_EQ(number, before.currentRecordNumber);

  const formats::EvtFile after = formats::ReadEvtFile(testsupport::ReadFileBytes(file));
  EXPECT_FALSE(after.Damaged()) << after.Report();
  ASSERT_FALSE(after.records.empty());
  EXPECT_EQ(after.records.back().Number(), number);
  // Records roll out only when the file has no room left.
  EXPECT_LE(after.oldestRecordNumber - before.oldestRecordNumber, 1u);
  LogHandle h(OpenEventLogW(u"\\\\XP", u"System"));
  EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), Range(after.oldestRecordNumber, number));
}

TEST_F(MachineFolderTest, BadFoldersAreReported) {
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  EXPECT_EQ(host::LoadMachineFolder(server, (dir_ / "missing").string()), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  std::filesystem::path root = MakeFolder("bad");
  std::ofstream(root / "system.reg", std::ios::app) << "[HKEY_NOWHERE\\X]\r\n";
  std::vector<std::string> diagnostics;
  EXPECT_EQ(host::LoadMachineFolder(server, root.string(), &diagnostics), static_cast<DWORD>(ERROR_INVALID_DATA));
  ASSERT_FALSE(diagnostics.empty());

  // A log file that is not an event log is refused, and left as it was.
  std::filesystem::path good = MakeFolder("good");
  std::ofstream(good / "C/Windows/System32/config/SysEvent.Evt") << "not a log";
  ASSERT_EQ(host::LoadMachineFolder(server, good.string()), 0u);
  EXPECT_EQ(testsupport::ErrorOf(OpenEventLogW(u"\\\\SERVER2", u"System")),
            static_cast<DWORD>(ERROR_EVENTLOG_FILE_CORRUPT));
  EXPECT_EQ(host::AppendClassicRecord(server, u"System", Fields(1)), 0u);
  EXPECT_EQ(testsupport::ReadFileText(good / "C/Windows/System32/config/SysEvent.Evt"), "not a log");
}

}  // namespace
}  // namespace classictest
