// The component's classic event-log primitives over the host: log lists and
// information entries, display names from a message file, path mapping,
// local-computer tests and log existence, with their trace lines.
#include "base/text.h"
#include "collect/event_log_info.h"
#include "collect/event_log_list.h"
#include "collect/log_display_name.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/trace_file.h"

namespace classictest {
namespace {

class PrimitivesTest : public ClassicTest {
 protected:
  // The message DLL fixture as the ADMIN$ share of a computer holds it.
  bool PlaceDisplayNameDll(host::Computer& computer) {
    std::filesystem::path dll = std::filesystem::path(EC_FIXTURE_DLL_DIR) / "lognames.dll";
    if (!std::filesystem::exists(dll)) return false;
    std::filesystem::path root = dir_ / cmr::Utf16ToUtf8(computer.Name());
    std::filesystem::create_directories(root / "C/Windows/System32");
    std::filesystem::copy_file(dll, root / "C/Windows/System32/lognames.dll");
    computer.SetRoot(root.string());
    return true;
  }
  void MakeNamedLog(host::Computer& computer, const std::u16string& name, DWORD id) {
    host::ClassicLogConfig config;
    config.name = name;
    config.displayNameFile = u"%SystemRoot%\\System32\\lognames.dll";
    config.displayNameId = id;
    host::CreateClassicLog(computer, config);
  }
};

TEST_F(PrimitivesTest, LogInfoLeavesOutLogsWhoseCountCannotBeRead) {
  for (const char16_t* name : {u"Application", u"Security", u"System"}) MakeLog(Local(), name);
  Append(Local(), u"Application", 1, 3);
  Append(Local(), u"System", 1, 7);
  host::InjectFault("GetNumberOfEventLogRecords", 2, ERROR_ACCESS_DENIED);

  std::vector<cmr::LogInfoEntry> entries;
  ASSERT_TRUE(cmr::GetEventLogInfo(true, u"", 0, entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Name, u"Application");
  EXPECT_EQ(entries[0].NumOfRecords, 3u);
  EXPECT_EQ(entries[1].Name, u"System");
  EXPECT_EQ(entries[1].NumOfRecords, 7u);
  for (const auto& e : entries) {
    EXPECT_EQ(e.API, 1);
    EXPECT_EQ(e.APIUsed, 1);
    EXPECT_EQ(e.ChannelType, 0);
    EXPECT_EQ(e.Enabled, 1);
    EXPECT_EQ(e.DisplayName, u"");  // no display name values
  }
  EXPECT_EQ(host::CallCount("OpenEventLogW"), 3u);
  EXPECT_EQ(host::CallCount("CloseEventLog"), 3u);
}

TEST_F(PrimitivesTest, LogsThatDoNotOpenAndListsThatFailAreTraced) {
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  MakeLog(server, u"Application");
  MakeLog(server, u"Security");
  host::SetClassicLogAccessDenied(server, u"Security", true);
  testsupport::TraceFile traceFile(dir_ / "trace.log");
  std::vector<cmr::LogInfoEntry> entries;
  ASSERT_TRUE(cmr::GetEventLogInfo(false, u"SERVER2", 0, entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Name, u"Application");
  server.SetReachable(false);
  EXPECT_FALSE(cmr::GetEventLogInfo(false, u"SERVER2", 0, entries));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  std::string trace = traceFile.Text();
  EXPECT_NE(trace.find("GetEventLogInfo: failed to open log 'Security' (error=5)"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Failed to get event log list: 53 ("), std::string::npos) << trace;
}

TEST_F(PrimitivesTest, DisplayNamesFromTheLogsMessageFile) {
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  if (!PlaceDisplayNameDll(server)) GTEST_SKIP() << "message DLL fixtures were not built";
  MakeNamedLog(server, u"Application", 0x100);
  MakeNamedLog(server, u"System", 0x101);

  std::vector<cmr::LogInfoEntry> english, german;
  ASSERT_TRUE(cmr::GetEventLogInfo(false, u"SERVER2", 0x409, english));
  ASSERT_TRUE(cmr::GetEventLogInfo(false, u"SERVER2", 0x407, german));
  ASSERT_EQ(english.size(), 2u);
  EXPECT_EQ(english[0].DisplayName, u"Application Events");  // without the message's "\r\n"
  EXPECT_EQ(english[1].DisplayName, u"System Events");
  ASSERT_EQ(german.size(), 2u);
  EXPECT_EQ(german[0].DisplayName, u"Anwendungsereignisse");
  EXPECT_EQ(german[1].DisplayName, u"");  // no German text: the entry stays, without a name

  HKEY key = nullptr;
  ASSERT_EQ(cmr::OpenEventLogKey(u"\\\\SERVER2", u"System", &key), ERROR_SUCCESS);
  std::u16string name;
  EXPECT_EQ(cmr::GetLogDisplayName(false, u"SERVER2", key, 0x407, name), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  RegCloseKey(key);
  ASSERT_EQ(cmr::OpenEventLogKey(u"\\\\SERVER2", u"NoName", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(PrimitivesTest, PathsOfARemoteComputerGoThroughItsAdministrativeShares) {
  std::u16string mapped;
  ASSERT_EQ(cmr::MapPathToComputer(false, u"SRV", u"%SystemRoot%\\System32\\x.dll", mapped), 0u);
  EXPECT_EQ(mapped, u"\\\\SRV\\ADMIN$\\System32\\x.dll");
  ASSERT_EQ(cmr::MapPathToComputer(false, u"SRV", u"C:\\x", mapped), 0u);
  EXPECT_EQ(mapped, u"\\\\SRV\\C$\\x");
  ASSERT_EQ(cmr::MapPathToComputer(false, u"SRV", u"%ProgramFiles%\\y.dll", mapped), 0u);
  EXPECT_EQ(mapped, u"\\\\SRV\\C$\\Program Files\\y.dll");  // other variables take local values
  ASSERT_EQ(cmr::MapPathToComputer(false, u"SRV", u"%systemroot%\\z.dll", mapped), 0u);
  EXPECT_EQ(mapped, u"\\\\SRV\\C$\\Windows\\z.dll");  // only the exact spelling becomes ADMIN$
  ASSERT_EQ(cmr::MapPathToComputer(true, nullptr, u"%SystemRoot%\\x.dll", mapped), 0u);
  EXPECT_EQ(mapped, u"C:\\Windows\\x.dll");
}

TEST_F(PrimitivesTest, LocalComputerNamesAndLogExistence) {
  EXPECT_TRUE(cmr::IsLocalComputer(nullptr));
  EXPECT_TRUE(cmr::IsLocalComputer(u"\\\\workstation1"));
  EXPECT_TRUE(cmr::IsLocalComputer(u"WORKSTATION1"));
  EXPECT_FALSE(cmr::IsLocalComputer(u"\\\\SERVER2"));
  // A NULL computer BSTR reaches the collectors as an empty name: still local.
  EXPECT_TRUE(cmr::IsLocalComputer(u""));

  MakeLog(Local(), u"Application");
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  MakeLog(server, u"Directory Service");
  bool exists = false;
  ASSERT_TRUE(cmr::EventLogExists(u"\\\\WorkStation1", u"Application", exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ(host::CallCount("RegConnectRegistryW"), 0u);  // the local registry, not a connection
  ASSERT_TRUE(cmr::EventLogExists(u"\\\\SERVER2", u"Directory Service", exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ(host::CallCount("RegConnectRegistryW"), 1u);
  ASSERT_TRUE(cmr::EventLogExists(u"\\\\SERVER2", u"Application", exists));
  EXPECT_FALSE(exists);
  server.SetReachable(false);
  EXPECT_FALSE(cmr::EventLogExists(u"\\\\SERVER2", u"Application", exists));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));

  std::vector<std::u16string> names;
  ASSERT_TRUE(cmr::ListEventLogs(nullptr, names));
  EXPECT_EQ(names, std::vector<std::u16string>{u"Application"});
}

}  // namespace
}  // namespace classictest
