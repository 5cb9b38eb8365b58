#include <iostream>

#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

// A collection run twice: the first brings what the log holds, the second
// finds where the first stopped and brings nothing. The records a damaged
// file could not give are named on stderr with a status of 3.
TEST_F(Cli, CollectTwiceBringsOnlyWhatIsNew) {
  const std::string logs = EC_TESTDATA_DIR "/logs/";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* told;
    const char* err;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      // The archive's 3 records, then the live log's 8.
      {{"--log", "Security", "--process-backups", "--machine", "{machine}"},
       0,
       "Collected 11 records (positions 1:1709452800 to 11:1709569200)",
       "",
       {"WORKSTATION1_Security_1_65e42e00_b_65e5f4b0.adevt", "Security.task.xml"}},
      {{"--log", "Microsoft-Windows-TaskScheduler/Operational", "--process-backups", "--machine", "{machine}"},
       0,
       "Collected 8 records (positions 1:",
       "",
       {}},
      {{"--file", logs + "new-user-security.evtx"}, 0, "Collected ", "", {}},
      {{"--file", logs + "sample_with_a_bad_chunk_magic.evtx"},
       3,
       "Collected ",
       "could not be read and were skipped",
       {}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    if (c.args[0] == "--file" && !std::filesystem::exists(c.args[1])) {
      std::cout << "test data absent: " << c.args[1] << "\n";
      continue;
    }
    const std::string out = Path("out" + std::to_string(i));
    std::vector<std::string> args = {"collect", "--out", out};
    for (const std::string& arg : Expand(c.args)) args.push_back(arg);
    SCOPED_TRACE(c.args[1]);
    Output first = Run(args);
    EXPECT_EQ(first.status, c.status) << first.err;
    EXPECT_NE(first.out.find(c.told), std::string::npos) << first.out;
    EXPECT_NE(first.err.find(c.err), std::string::npos) << first.err;
    for (const std::string& file : c.files) EXPECT_TRUE(std::filesystem::exists(out + "/" + file)) << file;
    Output again = Run(args);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("No new records."), std::string::npos) << again.out;
  }
}

TEST_F(Cli, DemoCollectsTheNewEventsTheSecondTime) {
  Output demo = Run({"demo"});
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_NE(demo.out.find("Collected 11 records"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("Collected 3 records (positions 12:"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find(" 4625 "), std::string::npos);
  EXPECT_NE(demo.out.find("5. Collection of the channel Microsoft-Windows-TaskScheduler/Operational"),
            std::string::npos);
  EXPECT_NE(demo.out.find("Collected 8 records (positions 1:"), std::string::npos) << demo.out;
}

}  // namespace
}  // namespace clitest
