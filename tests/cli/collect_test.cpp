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
    std::string args, file;
    int status;
    const char* told;
    const char* err;
  };
  const Case cases[] = {
      // The archive's 3 records, then the live log's 8.
      {"--log Security --process-backups --machine {machine}", "", 0,
       "Collected 11 records (positions 1:1709452800 to 11:1709569200)", ""},
      {"--log Microsoft-Windows-TaskScheduler/Operational --process-backups --machine {machine}", "", 0,
       "Collected 8 records (positions 1:", ""},
      {"--file", logs + "new-user-security.evtx", 0, "Collected ", ""},
      {"--file", logs + "sample_with_a_bad_chunk_magic.evtx", 3, "Collected ", "could not be read and were skipped"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.args + " " + c.file);
    if (!c.file.empty() && !std::filesystem::exists(c.file)) {
      std::cout << "test data absent: " << c.file << "\n";
      continue;
    }
    const std::string out = Path("out" + std::to_string(i));
    const std::string args = "collect --out " + out + " " + c.args + " " + c.file;
    Output first = Run(args);
    EXPECT_EQ(first.status, c.status) << first.err;
    ExpectPieces(first.out, {c.told});
    ExpectPieces(first.err, {c.err});
    Output again = RunOk(args);
    ExpectPieces(again.out, {"No new records."});
  }
  for (const char* file : {"WORKSTATION1_Security_1_65e42e00_b_65e5f4b0.adevt", "Security.task.xml"})
    EXPECT_TRUE(std::filesystem::exists(Path("out0/") + file)) << file;
}

TEST_F(Cli, DemoCollectsTheNewEventsTheSecondTime) {
  Output demo = RunOk("demo");
  ExpectPieces(demo.out, {"Collected 11 records", "Collected 3 records (positions 12:", " 4625 ",
                          "5. Collection of the channel Microsoft-Windows-TaskScheduler/Operational",
                          "Collected 8 records (positions 1:"});
}

}  // namespace
}  // namespace clitest
