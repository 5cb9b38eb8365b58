#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, CollectTwiceBringsOnlyWhatIsNew) {
  const std::string out = Path("out");
  Output first = Run({"collect", "--log", "Security", "--out", out, "--process-backups", "--machine", Machine()});
  ASSERT_EQ(first.status, 0) << first.err;
  // The archive's 3 records, then the live log's 8.
  EXPECT_NE(first.out.find("Collected 11 records (positions 1:1709452800 to 11:1709569200)"), std::string::npos)
      << first.out;
  EXPECT_TRUE(std::filesystem::exists(out + "/WORKSTATION1_Security_1_65e42e00_b_65e5f4b0.adevt"));
  EXPECT_TRUE(std::filesystem::exists(out + "/Security.task.xml"));

  Output second = Run({"collect", "--log", "Security", "--out", out, "--process-backups", "--machine", Machine()});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("No new records."), std::string::npos) << second.out;
}

TEST_F(Cli, CollectRefusesWhatItCannotDo) {
  EXPECT_EQ(Run({"collect", "--log", "Security"}).status, 2);
  EXPECT_EQ(Run({"collect", "--log", "Security", "--file", "x.evt", "--out", Path("o")}).status, 2);
  Output missing = Run({"collect", "--log", "NoSuchLog", "--out", Path("o"), "--machine", Machine()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Event log 'NoSuchLog' does not exist"), std::string::npos) << missing.err;
}

TEST_F(Cli, DemoCollectsTheNewEventsTheSecondTime) {
  Output demo = Run({"demo"});
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_NE(demo.out.find("Collected 11 records"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("Collected 3 records (positions 12:"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find(" 4625 "), std::string::npos);
}

}  // namespace
}  // namespace clitest
