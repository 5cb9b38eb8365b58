#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, ConfigOptionsReachTheDocument) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"--log Nowhere --last 5:1709539200 --resolve-sids --preferred-api wevt-only",
       {"<LogName>Nowhere</LogName>", "<LastRecordNumber>5</LastRecordNumber>",
        "<LastTimeWritten>1709539200</LastTimeWritten>", "<ResolveSIDs>1</ResolveSIDs>",
        "<PreferredAPI>2</PreferredAPI>", "<FallbackAPI>0</FallbackAPI>", "<ErrorStatus>-1</ErrorStatus>"}},
      {"--log System --load-from /logs/old.evt --audit 3 --audit 2,5 --no-seek-last --collect-resources "
       "--resolve-macs --compact-name SYS --last 7:-1 --save-path /out",
       {"<LoadFromEvtFile>/logs/old.evt</LoadFromEvtFile>", "<PolicyAuditEventType>3,1</PolicyAuditEventType>",
        "<PolicyAuditEventType>2,5</PolicyAuditEventType>", "<SeekLastFirstRun>0</SeekLastFirstRun>",
        "<CollectEventResources>1</CollectEventResources>", "<ResolveMACs>1</ResolveMACs>",
        "<CompactLogName>SYS</CompactLogName>", "<LastRecordNumber>7</LastRecordNumber>",
        "<LastTimeWritten>-1</LastTimeWritten>", "<SavePath>/out</SavePath>"}},
  };
  for (const auto& [options, elements] : cases) {
    SCOPED_TRACE(options);
    Output printed = RunOk(std::string("config ") + options);
    // Writing over a file replaces it whole.
    std::ofstream(Path("task.xml")) << std::string(10000, 'x');
    ASSERT_EQ(Run(std::string("config ") + options + " --output {dir}/task.xml").status, 0);
    const std::string written = ReadFileText(Path("task.xml"));
    EXPECT_EQ(written.rfind("<?xml", 0), 0u);
    EXPECT_EQ(written.find("xxxx"), std::string::npos);
    for (const std::string& document : {printed.out, written}) ExpectPieces(document, elements);
  }
}

// A log the computer has under neither interface: the failure comes back
// through the results written into the configuration. A listing
// configuration gets the list of logs.
TEST_F(Cli, RunWritesItsResultsIntoTheConfiguration) {
  const struct {
    const char* options;
    int status;
    std::vector<std::string> err, out, after;
  } cases[] = {
      {"--log Nowhere --last 5:1709539200 --preferred-api wevt-only",
       1,
       {"Event log 'Nowhere' does not exist (API used: Vista)"},
       {"ErrorCode        0x80004005", "Log              Nowhere"},
       {"<ErrorStatus>-2147467259</ErrorStatus>", "<LastRecordNumber>5</LastRecordNumber>"}},
      {"--log *", 0, {}, {"ErrorCode        0\n", "\n4 logs\n"}, {"<ErrorStatus>0</ErrorStatus>"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(Run(std::string("config --output {dir}/task.xml ") + c.options).status, 0);
    Output ran = Run("run {dir}/task.xml --machine {machine}");
    EXPECT_EQ(ran.status, c.status) << ran.err;
    ExpectPieces(ran.err, c.err);
    ExpectPieces(ran.out, c.out);
    ExpectPieces(ReadFileText(Path("task.xml")), c.after);
  }
  EXPECT_EQ(Numbers(ReadFileText(Path("task.xml")), "<NumberOfRecords>"), (std::vector<uint64_t>{8, 8, 8, 8}));
}

TEST_F(Cli, RegisterThenUnregisterWriteTheMachineRegistry) {
  const std::string registry = Machine() + "/machine.reg";
  Output registered = RunOk("register --machine {machine}");
  ExpectPieces(ReadText(registry),
               {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Calomar.Overseer.EventCollector.Task\\CurVer]\r\n"
                "@=\"Calomar.Overseer.EventCollector.Task.1\"",
                "libEventCollector.so", "Services\\EventLog\\Security]"});

  Output unregistered = RunOk("unregister --machine {machine}");
  EXPECT_EQ(ReadText(registry).find("Calomar.Overseer"), std::string::npos);
  ExpectPieces(ReadText(registry), {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID]"});
  EXPECT_EQ(Run("logs --machine {machine}").status, 0) << "the folder still loads";

  // A folder with several exports is refused and left as it was.
  std::ofstream(Machine() + "/extra.reg") << "Windows Registry Editor Version 5.00\r\n";
  const std::string before = ReadFileText(registry);
  Output refused = Run("register --machine {machine}");
  EXPECT_EQ(refused.status, 1);
  ExpectPieces(refused.err, {"several registry exports"});
  EXPECT_EQ(ReadFileText(registry), before);
}

}  // namespace
}  // namespace clitest
