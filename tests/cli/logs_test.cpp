#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, MachineInitWritesTheSameMachineFolderAndKeepsAnExistingOne) {
  const std::string& machine = Machine();
  std::string logs = machine + "/C/Windows/System32/winevt/Logs/";
  for (const char* file :
       {"Application.evtx", "System.evtx", "Security.evtx", "Archive-Security-2024-03-03-18-06-41-000.evtx",
        "Microsoft-Windows-TaskScheduler%4Operational.evtx"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(logs + file)) << file;
  }
  std::string registry = ReadText(machine + "/machine.reg");
  ExpectPieces(registry, {"Windows Registry Editor Version 5.00", "Services\\EventLog\\Security]",
                          "\"AutoBackupLogFiles\"=dword:00000001"});
  EXPECT_EQ(registry.find("Calomar"), std::string::npos) << "the machine starts without the component registered";

  Output again = Run("machine init {machine}");
  EXPECT_EQ(again.status, 1);
  ExpectPieces(again.err, {"not an empty folder"});
  EXPECT_EQ(ReadText(machine + "/machine.reg"), registry);

  // The demonstration machine is the same every time.
  const std::string second = Path("again");
  ASSERT_EQ(Run("machine init " + second).status, 0);
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
  Output listed = RunOk("logs --machine {machine}");
  EXPECT_EQ(listed.err, "");  // progress lines appear only on a terminal
  // Classic logs are listed through their channels. The Task Scheduler's
  // display name comes from its publisher's files; the others name files the
  // machine does not carry. No analytic channels.
  EXPECT_EQ(listed.out,
            "NAME                                         DISPLAY NAME                API      USED  ENABLED  RECORDS\n"
            "Application                                  -                           classic  wevt  yes            8\n"
            "Microsoft-Windows-TaskScheduler/Operational  Task Scheduler Operational  wevt     wevt  yes            8\n"
            "Security                                     -                           classic  wevt  yes            8\n"
            "System                                       -                           classic  wevt  yes            8\n"
            "4 logs\n");

  // The embedded machine is the same machine, made afresh for the run.
  Output embedded = RunOk("logs");
  EXPECT_EQ(embedded.out, listed.out);

  Output json = RunOk("logs --json --machine {machine}");
  EXPECT_EQ(
      json.out,
      "{\"Name\":\"Application\",\"DisplayName\":\"\",\"API\":1,\"APIUsed\":2,\"Enabled\":true,\"NumOfRecords\":8}\n"
      "{\"Name\":\"Microsoft-Windows-TaskScheduler/Operational\",\"DisplayName\":\"Task Scheduler Operational\","
      "\"API\":2,\"APIUsed\":2,\"Enabled\":true,\"NumOfRecords\":8}\n"
      "{\"Name\":\"Security\",\"DisplayName\":\"\",\"API\":1,\"APIUsed\":2,\"Enabled\":true,\"NumOfRecords\":8}\n"
      "{\"Name\":\"System\",\"DisplayName\":\"\",\"API\":1,\"APIUsed\":2,\"Enabled\":true,\"NumOfRecords\":8}\n");
}

}  // namespace
}  // namespace clitest
