#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

class FilterCli : public Cli {
 protected:
  // Adds a filter; skips the test while the component has no Filters class.
  std::string Add(const std::vector<std::string>& criteria) {
    std::vector<std::string> args = {"filter", "add", file_};
    args.insert(args.end(), criteria.begin(), criteria.end());
    Output added = Run(args);
    if (added.err.find("0x80040111") != std::string::npos) {
      skipped_ = true;
      return {};
    }
    EXPECT_EQ(added.status, 0) << added.err;
    return added.out.substr(0, added.out.find('\n'));
  }
  std::string file_ = Path("filters.xml");
  bool skipped_ = false;
};

TEST_F(FilterCli, AddShowAndRemoveFilters) {
  std::string logons = Add({"--name", "Logons", "--log", "Security", "--event-id", "4624,4625", "--string", "6=alice",
                            "--from", "1.3.2024 0:0:0"});
  if (skipped_) GTEST_SKIP() << "the component has no Filters class yet";
  std::string vss = Add({"--exclude", "--source", "VSS", "--priority", "2"});
  EXPECT_TRUE(std::regex_match(logons, std::regex(R"(\{[0-9A-F-]{36}\})"))) << logons;
  ASSERT_EQ(Run({"filter", "log", "add", file_, "Security"}).status, 0);

  Output shown = Run({"filter", "show", file_});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("Logs: Security\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("Including filters: 1\n  " + logons + "  Logons\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("    EventID      4624,4625\n"), std::string::npos);
  EXPECT_NE(shown.out.find("    String 6     alice\n"), std::string::npos);
  EXPECT_NE(shown.out.find("    From         1.3.2024 0:0:0\n"), std::string::npos);
  EXPECT_NE(shown.out.find("Excluding filters: 1\n  " + vss), std::string::npos);
  std::string document = ReadFileText(file_);
  EXPECT_NE(document.find("<Priority>2</Priority>"), std::string::npos) << document;
  EXPECT_NE(document.find("<Flags>773</Flags>"), std::string::npos) << "the criteria given are tested";

  // A refused criterion leaves the file as it was.
  Output refused = Run({"filter", "add", file_, "--event-id", "10-5"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--event-id '10-5'"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadFileText(file_), document);

  std::string lower = logons;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_EQ(Run({"filter", "remove", file_, lower}).status, 0);
  Output again = Run({"filter", "remove", file_, logons});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("no filter"), std::string::npos);
  ASSERT_EQ(Run({"filter", "use", file_, "off"}).status, 0);
  ASSERT_EQ(Run({"filter", "log", "remove", file_, "security"}).status, 0);
  EXPECT_EQ(Run({"filter", "log", "remove", file_, "Security"}).status, 1);
  shown = Run({"filter", "show", file_});
  EXPECT_NE(shown.out.find("UseFilter: no"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("Logs: (none)\nIncluding filters: 0\nExcluding filters: 1\n"), std::string::npos);
}

TEST_F(FilterCli, WellFormedValuesAreStoredAsTyped) {
  struct Case {
    std::vector<std::string> criteria;
    const char* stored;
  };
  const Case cases[] = {
      {{"--event-id", "4624,4700-4705"}, "<EventID>4624,4700-4705</EventID>"},
      {{"--event-id", "4624, 4625"}, "<EventID>4624,4625</EventID>"},
      {{"--event-id", "65535"}, "<EventID>65535</EventID>"},
      {{"--level", "1-3"}, "<Level>1-3</Level>"},
      {{"--level", "0"}, "<Level>0</Level>"},
      {{"--string", "65535=x*"}, "x*"},
      {{"--type", "0x10"}, "<EventType>16</EventType>"},
  };
  for (const auto& c : cases) {
    Add(c.criteria);
    if (skipped_) GTEST_SKIP() << "the component has no Filters class yet";
    EXPECT_NE(ReadFileText(file_).find(c.stored), std::string::npos) << c.criteria[1] << "\n" << ReadFileText(file_);
  }
}

TEST_F(FilterCli, AFilterFileMadeHereFiltersARun) {
  Add({"--log", "*", "--event-id", "4624"});
  if (skipped_) GTEST_SKIP() << "the component has no Filters class yet";
  std::string task = Path("task.xml");
  Output made = Run({"config", "--log", "*", "--filter-file", file_, "--output", task});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(ReadFileText(task).find("&lt;EventID&gt;4624&lt;/EventID&gt;"), std::string::npos);
  EXPECT_EQ(Run({"run", task, "--machine", Machine()}).status, 0);
}

}  // namespace
}  // namespace clitest
