#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, ConfigThenRunReportsTheFailureThroughTheResults) {
  std::string task = Path("task.xml");
  Output made = Run({"config", "--log", "Nowhere", "--last", "5:1709539200", "--resolve-sids", "--preferred-api",
                     "wevt-only", "--output", task});
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string document = ReadFileText(task);
  for (const char* element :
       {"<LogName>Nowhere</LogName>", "<LastRecordNumber>5</LastRecordNumber>",
        "<LastTimeWritten>1709539200</LastTimeWritten>", "<ResolveSIDs>1</ResolveSIDs>",
        "<PreferredAPI>2</PreferredAPI>", "<FallbackAPI>0</FallbackAPI>", "<ErrorStatus>-1</ErrorStatus>"})
    EXPECT_NE(document.find(element), std::string::npos) << element << "\n" << document;

  Output ran = Run({"run", task, "--machine", Machine()});
  EXPECT_EQ(ran.status, 1);
  // A log the computer has under neither interface; the failure comes back
  // through the results written into the configuration.
  EXPECT_NE(ran.err.find("Event log 'Nowhere' does not exist (API used: Vista)"), std::string::npos) << ran.err;
  EXPECT_NE(ran.out.find("ErrorCode        0x80004005"), std::string::npos) << ran.out;
  EXPECT_NE(ran.out.find("Log              Nowhere"), std::string::npos);
  std::string after = ReadFileText(task);
  EXPECT_NE(after.find("<ErrorStatus>-2147467259</ErrorStatus>"), std::string::npos) << after;
  EXPECT_NE(after.find("<LastRecordNumber>5</LastRecordNumber>"), std::string::npos);
}

TEST_F(Cli, ConfigOptionsReachTheDocument) {
  Output made = Run({"config", "--log", "System", "--load-from", "/logs/old.evt", "--audit", "3", "--audit", "2,5",
                     "--no-seek-last", "--collect-resources", "--resolve-macs", "--compact-name", "SYS", "--last",
                     "7:-1", "--save-path", "/out"});
  ASSERT_EQ(made.status, 0) << made.err;
  for (const char* element :
       {"<LoadFromEvtFile>/logs/old.evt</LoadFromEvtFile>", "<PolicyAuditEventType>3,1</PolicyAuditEventType>",
        "<PolicyAuditEventType>2,5</PolicyAuditEventType>", "<SeekLastFirstRun>0</SeekLastFirstRun>",
        "<CollectEventResources>1</CollectEventResources>", "<ResolveMACs>1</ResolveMACs>",
        "<CompactLogName>SYS</CompactLogName>", "<LastRecordNumber>7</LastRecordNumber>",
        "<LastTimeWritten>-1</LastTimeWritten>", "<SavePath>/out</SavePath>"}) {
    EXPECT_NE(made.out.find(element), std::string::npos) << element << "\n" << made.out;
  }
  // Writing over a file replaces it whole.
  std::string task = Path("task.xml");
  std::ofstream(task) << std::string(10000, 'x');
  ASSERT_EQ(Run({"config", "--log", "System", "--output", task}).status, 0);
  std::string replaced = ReadFileText(task);
  EXPECT_EQ(replaced.rfind("<?xml", 0), 0u);
  EXPECT_EQ(replaced.find("xxxx"), std::string::npos);
}

TEST_F(Cli, RunOfAListingConfigurationFillsTheLogList) {
  std::string task = Path("list.xml");
  ASSERT_EQ(Run({"config", "--log", "*", "--output", task}).status, 0);
  Output ran = Run({"run", task, "--machine", Machine()});
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_NE(ran.out.find("ErrorCode        0\n"), std::string::npos) << ran.out;
  EXPECT_NE(ran.out.find("\n4 logs\n"), std::string::npos);
  std::string after = ReadFileText(task);
  EXPECT_EQ(Numbers(after, "<NumberOfRecords>"), (std::vector<uint64_t>{8, 8, 8, 8}));
  EXPECT_NE(after.find("<ErrorStatus>0</ErrorStatus>"), std::string::npos);
}

TEST_F(Cli, RegisterThenUnregisterWriteTheMachineRegistry) {
  const std::string& machine = Machine();
  Output registered = Run({"register", "--machine", machine});
  ASSERT_EQ(registered.status, 0) << registered.err;
  std::string registry = ReadText(machine + "/machine.reg");
  EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Calomar.Overseer.EventCollector.Task\\CurVer]\r\n"
                          "@=\"Calomar.Overseer.EventCollector.Task.1\""),
            std::string::npos);
  EXPECT_NE(registry.find("libEventCollector.so"), std::string::npos);
  EXPECT_NE(registry.find("Services\\EventLog\\Security]"), std::string::npos) << "the rest of the registry stays";

  Output unregistered = Run({"unregister", "--machine", machine});
  ASSERT_EQ(unregistered.status, 0) << unregistered.err;
  registry = ReadText(machine + "/machine.reg");
  EXPECT_EQ(registry.find("Calomar.Overseer"), std::string::npos);
  EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID]"), std::string::npos);
  EXPECT_EQ(Run({"logs", "--machine", machine}).status, 0) << "the folder still loads";
}

TEST_F(Cli, RegisterRefusesAFolderWithSeveralExports) {
  const std::string& machine = Machine();
  std::ofstream(machine + "/extra.reg") << "Windows Registry Editor Version 5.00\r\n";
  std::string before = ReadFileText(machine + "/machine.reg");
  Output registered = Run({"register", "--machine", machine});
  EXPECT_EQ(registered.status, 1);
  EXPECT_NE(registered.err.find("several registry exports"), std::string::npos) << registered.err;
  EXPECT_EQ(ReadFileText(machine + "/machine.reg"), before);
}

}  // namespace
}  // namespace clitest
