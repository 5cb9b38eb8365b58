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

TEST_F(Cli, CollectReadsChannelsAndEvtxFilesIncrementally) {
  const std::string channelOut = Path("channel");
  const std::vector<std::string> channel = {"collect",   "--log",    "Microsoft-Windows-TaskScheduler/Operational",
                                            "--out",     channelOut, "--process-backups",
                                            "--machine", Machine()};
  Output first = Run(channel);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Collected 8 records (positions 1:"), std::string::npos) << first.out;
  Output again = Run(channel);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("No new records."), std::string::npos) << again.out;

  const std::string sample = EC_TESTDATA_DIR "/logs/new-user-security.evtx";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "test data absent: " << sample;
  const std::vector<std::string> file = {"collect", "--file", sample, "--out", Path("file")};
  Output fromFile = Run(file);
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_NE(fromFile.out.find("Collected "), std::string::npos) << fromFile.out;
  Output fileAgain = Run(file);
  ASSERT_EQ(fileAgain.status, 0) << fileAgain.err;
  EXPECT_NE(fileAgain.out.find("No new records."), std::string::npos) << fileAgain.out;
}

// The records a damaged file could not give are named on stderr with a
// status of 3; the next call finds where the first stopped and brings nothing.
TEST_F(Cli, CollectNamesTheRecordsItCouldNotRead) {
  const std::string sample = EC_TESTDATA_DIR "/logs/sample_with_a_bad_chunk_magic.evtx";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "test data absent: " << sample;
  const std::vector<std::string> file = {"collect", "--file", sample, "--out", Path("damaged")};
  Output first = Run(file);
  EXPECT_EQ(first.status, 3) << first.err;
  EXPECT_NE(first.out.find("Collected "), std::string::npos) << first.out;
  EXPECT_NE(first.err.find("could not be read and were skipped"), std::string::npos) << first.err;
  Output again = Run(file);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("No new records."), std::string::npos) << again.out;
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
  EXPECT_NE(demo.out.find("5. Collection of the channel Microsoft-Windows-TaskScheduler/Operational"),
            std::string::npos);
  EXPECT_NE(demo.out.find("Collected 8 records (positions 1:"), std::string::npos) << demo.out;
}

}  // namespace
}  // namespace clitest
