// Description files of collections of the demonstration machine, shown by
// "dump": the classic Security log (texts through its source's publisher)
// and the Task Scheduler channel (texts through its event manifest).
#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, CollectionsOfTheDemoMachineWriteDescriptions) {
  struct Case {
    std::string log, api;
    std::vector<std::string> expected;
  } cases[] = {
      {"Security",
       "classic",
       {"ES  Microsoft-Windows-Security-Auditing\n  EI  4624\n  ED  Account %7\\%6 logged on (logon type %9) from %14.",
        "EI  4634\n  ED  Account %3\\%2 logged off."}},
      {"Microsoft-Windows-TaskScheduler/Operational",
       "wevt",
       {"ES  Microsoft-Windows-TaskScheduler\n  EI  100\n  ED  Task \"%1\" started for user \"%3\" (instance %2).",
        "EI  201\n  ED  Task \"%1\" completed the action \"%3\" with return code %4 (instance %2)."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    const std::string out = Path("out-" + c.api);
    ASSERT_EQ(Run("config --log " + c.log + " --preferred-api " + c.api + " --save-path " + out +
                  " --collect-resources --no-seek-last --output {dir}/task.xml")
                  .status,
              0);
    Output run = Run("run {dir}/task.xml --machine {machine}");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    std::string descr;
    for (const auto& entry : std::filesystem::directory_iterator(out))
      if (entry.path().extension() == ".descr") descr = entry.path().string();
    Output dump = RunOk({"dump", descr});
    ExpectPieces(dump.out, c.expected);
  }
}

}  // namespace
}  // namespace clitest
