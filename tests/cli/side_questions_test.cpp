// The commands that ask the component side questions about a log of the
// computer: "stats" (ITask::GetEventLogStatistics) and "audit" (the audit
// policy check of a task run).
#include <fstream>

#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, StatsOfTheDemonstrationSecurityLog) {
  Output text = RunOk("stats Security --machine {machine}");
  // The live log starts after its archive, 20 s after the demonstration
  // epoch (2024-03-04 08:00:00 UTC), and ends with a logoff.
  EXPECT_EQ(Lines(text.out),
            (std::vector<std::string>{"log     Security", "oldest  2024-03-04 08:00:20 UTC  event 4624",
                                      "newest  2024-03-04 16:20:00 UTC  event 4634", "full    no"}));
  Output json = RunOk("stats Security --json");
  EXPECT_EQ(json.out,
            "{\"Log\":\"Security\",\"OldestRecordDate\":1709539220,\"OldestEventId\":4624,\"NewestRecordDate\":"
            "1709569200,\"NewestEventId\":4634,\"EventLogFull\":false}\n");
}

TEST_F(Cli, AuditOfTheDemonstrationMachineAndOfItsFolderPolicy) {
  // It audits logon successes and failures and nothing else.
  Output all = RunOk("audit --machine {machine}");
  std::string expected;
  for (std::string c : {"System", "Object Access", "Privilege Use", "Detailed Tracking", "Policy Change",
                        "Account Management", "Directory Service Access", "Account Logon"})
    expected += "Auditing of " + c + " Success\nAuditing of " + c + " Failure\n";
  EXPECT_EQ(all.out, expected + "16 of 18 requirements not met\n");

  Output some = RunOk("audit --require logon:both --require 2:failure 1 --json");
  EXPECT_EQ(some.out,
            "{\"Required\":3,\"NotMet\":[\"Auditing of Object Access Failure\"],\"Warning\":\"Auditing of Object "
            "Access Failure is not enabled for this server. Adjust the audit policy settings (see product "
            "documentation for more information). \"}\n");
  EXPECT_EQ(Run("audit --require logon").out, "all 1 requirements are met\n");

  // The policy of the machine folder, a registry export in the older
  // layout: object access failures only.
  std::ofstream(Machine() + "/policy.reg")
      << "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SECURITY\\Policy\\PolAdtEv]\r\n"
         "@=hex(0):01,00,00,00,00,00,00,00,00,00,00,00,02,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
         "  00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,09,00,00,00\r\n";
  Output checked = RunOk("audit --require 1 --require 2:2 --machine {machine}");
  EXPECT_EQ(checked.out, "Auditing of Logon Success\n1 of 2 requirements not met\n");
}

}  // namespace
}  // namespace clitest
