// The component's classic event-log primitives over the host: log lists and
// information entries, display names from a message file, path mapping,
// local-computer tests and log existence, with their trace lines.
#include <tuple>

#include "base/text.h"
#include "collect/event_log_info.h"
#include "collect/event_log_list.h"
#include "collect/log_display_name.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/last_error.h"
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
  // Name, records, API, API used, channel type, enabled; no display name values.
  std::vector<std::tuple<std::u16string, uint64_t, int32_t, int32_t, int32_t, int32_t, std::u16string>> got;
  for (const auto& e : entries)
    got.emplace_back(e.Name, e.NumOfRecords, e.API, e.APIUsed, e.ChannelType, e.Enabled, e.DisplayName);
  EXPECT_EQ(got, (decltype(got){{u"Application", 3, 1, 1, 0, 1, u""}, {u"System", 7, 1, 1, 0, 1, u""}}));
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
  EXPECT_EQ(testsupport::ErrorOf(cmr::GetEventLogInfo(false, u"SERVER2", 0, entries)),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  std::string trace = traceFile.Text();
  EXPECT_NE(trace.find("GetEventLogInfo: failed to open log 'Security' (error=5)"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Failed to get event log list: 53 ("), std::string::npos) << trace;
}

TEST_F(PrimitivesTest, DisplayNamesFromTheLogsMessageFile) {
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  if (!PlaceDisplayNameDll(server)) GTEST_SKIP() << "message DLL fixtures were not built";
  MakeNamedLog(server, u"Application", 0x100);
  MakeNamedLog(server, u"System", 0x101);

  // Without the message's "\r\n"; with no German text the entry stays, without a name.
  const std::pair<LCID, std::vector<std::u16string>> cases[] = {{0x409, {u"Application Events", u"System Events"}},
                                                                {0x407, {u"Anwendungsereignisse", u""}}};
  for (const auto& [language, names] : cases) {
    std::vector<cmr::LogInfoEntry> entries;
    ASSERT_TRUE(cmr::GetEventLogInfo(false, u"SERVER2", language, entries));
    std::vector<std::u16string> got;
    for (const auto& e : entries) got.push_back(e.DisplayName);
    EXPECT_EQ(got, names) << language;
  }

  HKEY key = nullptr;
  ASSERT_EQ(cmr::OpenEventLogKey(u"\\\\SERVER2", u"System", &key), ERROR_SUCCESS);
  std::u16string name;
  EXPECT_EQ(cmr::GetLogDisplayName(false, u"SERVER2", key, 0x407, name), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  RegCloseKey(key);
  ASSERT_EQ(cmr::OpenEventLogKey(u"\\\\SERVER2", u"NoName", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(PrimitivesTest, PathsOfARemoteComputerGoThroughItsAdministrativeShares) {
  struct Case {
    bool local;
    const char16_t* computer;
    const char16_t* path;
    std::u16string mapped;
  } cases[] = {
      {false, u"SRV", u"%SystemRoot%\\System32\\x.dll", u"\\\\SRV\\ADMIN$\\System32\\x.dll"},
      {false, u"SRV", u"C:\\x", u"\\\\SRV\\C$\\x"},
      // Other variables take local values; only the exact spelling becomes ADMIN$.
      {false, u"SRV", u"%ProgramFiles%\\y.dll", u"\\\\SRV\\C$\\Program Files\\y.dll"},
      {false, u"SRV", u"%systemroot%\\z.dll", u"\\\\SRV\\C$\\Windows\\z.dll"},
      {true, nullptr, u"%SystemRoot%\\x.dll", u"C:\\Windows\\x.dll"},
  };
  for (const Case& c : cases) {
    std::u16string mapped;
    ASSERT_EQ(cmr::MapPathToComputer(c.local, c.computer, c.path, mapped), 0u);
    EXPECT_EQ(mapped, c.mapped);
  }
}

TEST_F(PrimitivesTest, LocalComputerNamesAndLogExistence) {
  // A NULL computer BSTR reaches the collectors as an empty name: still local.
  for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"\\\\workstation1", u"WORKSTATION1", u""})
    EXPECT_TRUE(cmr::IsLocalComputer(name));
  EXPECT_FALSE(cmr::IsLocalComputer(u"\\\\SERVER2"));

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
  EXPECT_EQ(testsupport::ErrorOf(cmr::EventLogExists(u"\\\\SERVER2", u"Application", exists)),
            static_cast<DWORD>(ERROR_BAD_NETPATH));

  std::vector<std::u16string> names;
  ASSERT_TRUE(cmr::ListEventLogs(nullptr, names));
  EXPECT_EQ(names, std::vector<std::u16string>{u"Application"});
}

}  // namespace
}  // namespace classictest
