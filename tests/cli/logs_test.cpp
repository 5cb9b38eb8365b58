#include <map>

#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

// NAME -> (DISPLAY NAME, API, USED, ENABLED, RECORDS) of the logs table; a
// display name may hold blanks.
std::map<std::string, std::vector<std::string>> TableRows(const std::string& out) {
  std::map<std::string, std::vector<std::string>> rows;
  for (const auto& line : Lines(out)) {
    std::istringstream in(line);
    std::vector<std::string> cells;
    for (std::string cell; in >> cell;) cells.push_back(cell);
    if (cells.size() < 6 || cells[0] == "NAME") continue;
    std::string display = cells[1];
    for (size_t i = 2; i + 4 < cells.size(); ++i) display += " " + cells[i];
    size_t n = cells.size();
    rows[cells[0]] = {display, cells[n - 4], cells[n - 3], cells[n - 2], cells[n - 1]};
  }
  return rows;
}

TEST_F(Cli, MachineInitWritesTheSameMachineFolderAndKeepsAnExistingOne) {
  const std::string& machine = Machine();
  std::string logs = machine + "/C/Windows/System32/winevt/Logs/";
  for (const char* file :
       {"Application.evtx", "System.evtx", "Security.evtx", "Archive-Security-2024-03-03-18-06-41-000.evtx",
        "Microsoft-Windows-TaskScheduler%4Operational.evtx"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(logs + file)) << file;
  }
  std::string registry = ReadText(machine + "/machine.reg");
  EXPECT_NE(registry.find("Windows Registry Editor Version 5.00"), std::string::npos);
  EXPECT_NE(registry.find("Services\\EventLog\\Security]"), std::string::npos);
  EXPECT_NE(registry.find("\"AutoBackupLogFiles\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(registry.find("Calomar"), std::string::npos) << "the machine starts without the component registered";

  Output again = Run({"machine", "init", machine});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not an empty folder"), std::string::npos) << again.err;
  EXPECT_EQ(ReadText(machine + "/machine.reg"), registry);

  // The demonstration machine is the same every time.
  const std::string second = Path("again");
  ASSERT_EQ(Run({"machine", "init", second}).status, 0);
  size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(machine)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = std::filesystem::relative(entry.path(), machine).string();
    EXPECT_EQ(ReadFileText(entry.path().string()), ReadFileText(second + "/" + relative)) << relative;
    ++files;
  }
#ifdef EC_FIXTURE_DLL_DIR
  EXPECT_EQ(files, 8u);  // the log files, the registry and two message files
#else
  EXPECT_EQ(files, 6u);  // built without MinGW: no message files
#endif
}

TEST_F(Cli, LogsListsTheMachineWithoutAnalyticChannelsAsATableOrJsonLines) {
  Output listed = Run({"logs", "--machine", Machine()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.err, "");  // progress lines appear only on a terminal
  EXPECT_EQ(listed.out.rfind("NAME  ", 0), 0u) << listed.out;
  // Classic logs are listed through their channels; Security holds the
  // events written after its archive.
  // The Task Scheduler's display name comes from its publisher's files; the
  // other logs name files the machine does not carry.
  const std::vector<std::string> classic = {"-", "classic", "wevt", "yes", "8"};
  EXPECT_EQ(
      TableRows(listed.out),
      (std::map<std::string, std::vector<std::string>>{
          {"Application", classic},
          {"Security", classic},
          {"System", classic},
          {"Microsoft-Windows-TaskScheduler/Operational", {"Task Scheduler Operational", "wevt", "wevt", "yes", "8"}}}))
      << listed.out;
  EXPECT_EQ(listed.out.find("Analytic"), std::string::npos);
  EXPECT_NE(listed.out.find("\n4 logs\n"), std::string::npos);

  // The embedded machine is the same machine, made afresh for the run.
  Output embedded = Run({"logs"});
  EXPECT_EQ(embedded.status, 0) << embedded.err;
  EXPECT_EQ(embedded.out, listed.out);

  Output json = Run({"logs", "--json", "--machine", Machine()});
  ASSERT_EQ(json.status, 0) << json.err;
  auto lines = Lines(json.out);
  ASSERT_EQ(lines.size(), 4u);
  std::regex line(R"(\{"Name":"[^"]+","DisplayName":"[^"]*","API":[12],"APIUsed":2,"Enabled":true,"NumOfRecords":8\})");
  for (const auto& l : lines) EXPECT_TRUE(std::regex_match(l, line)) << l;
}

}  // namespace
}  // namespace clitest
