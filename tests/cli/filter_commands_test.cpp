#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

class FilterCli : public Cli {
 protected:
  // Adds a filter with the criteria; its id, the first line printed.
  std::string Add(std::vector<std::string> criteria) {
    criteria.insert(criteria.begin(), {"filter", "add", "{dir}/filters.xml"});
    Output added = RunOk(criteria);
    return added.out.substr(0, added.out.find('\n'));
  }
  std::string file_ = Path("filters.xml");
};

TEST_F(FilterCli, AddShowAndRemoveFilters) {
  std::string logons = Add({"--name", "Logons", "--log", "Security", "--event-id", "4624,4625", "--string", "6=alice",
                            "--from", "1.3.2024 0:0:0"});
  std::string vss = Add({"--exclude", "--source", "VSS", "--priority", "2"});
  EXPECT_TRUE(std::regex_match(logons, std::regex(R"(\{[0-9A-F-]{36}\})"))) << logons;
  ASSERT_EQ(Run("filter log add {dir}/filters.xml Security").status, 0);

  Output shown = RunOk("filter show {dir}/filters.xml");
  ExpectPieces(shown.out,
               {"Logs: Security\n", "Including filters: 1\n  " + logons + "  Logons\n", "    EventID      4624,4625\n",
                "    String 6     alice\n", "    From         1.3.2024 0:0:0\n", "Excluding filters: 1\n  " + vss});
  std::string document = ReadFileText(file_);
  // Flags 773: the criteria given are tested.
  ExpectPieces(document, {"<Priority>2</Priority>", "<Flags>773</Flags>"});

  // A refused criterion leaves the file as it was.
  Output refused = Run("filter add {dir}/filters.xml --event-id 10-5");
  EXPECT_EQ(refused.status, 2);
  ExpectPieces(refused.err, {"--event-id '10-5'"});
  EXPECT_EQ(ReadFileText(file_), document);

  std::string lower = logons;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_EQ(Run("filter remove {dir}/filters.xml " + lower).status, 0);
  Output again = Run("filter remove {dir}/filters.xml " + logons);
  EXPECT_EQ(again.status, 1);
  ExpectPieces(again.err, {"no filter"});
  ASSERT_EQ(Run("filter use {dir}/filters.xml off").status, 0);
  ASSERT_EQ(Run("filter log remove {dir}/filters.xml security").status, 0);
  EXPECT_EQ(Run("filter log remove {dir}/filters.xml Security").status, 1);
  ExpectPieces(Run("filter show {dir}/filters.xml").out,
               {"UseFilter: no", "Logs: (none)\nIncluding filters: 0\nExcluding filters: 1\n"});
}

TEST_F(FilterCli, WellFormedValuesAreStoredAsTyped) {
  const std::vector<std::string> cases[] = {
      {"--event-id", "4624,4700-4705", "<EventID>4624,4700-4705</EventID>"},
      {"--event-id", "4624, 4625", "<EventID>4624,4625</EventID>"},
      {"--event-id", "65535", "<EventID>65535</EventID>"},
      {"--level", "1-3", "<Level>1-3</Level>"},
      {"--level", "0", "<Level>0</Level>"},
      {"--string", "65535=x*", "x*"},
      {"--type", "0x10", "<EventType>16</EventType>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[1]);
    Add({c[0], c[1]});
    ExpectPieces(ReadFileText(file_), {c[2]});
  }
}

TEST_F(FilterCli, AFilterFileMadeHereFiltersARun) {
  Add({"--log", "*", "--event-id", "4624"});
  Output made = RunOk("config --log * --filter-file {dir}/filters.xml --output {dir}/task.xml");
  ExpectPieces(ReadFileText(Path("task.xml")), {"&lt;EventID&gt;4624&lt;/EventID&gt;"});
  EXPECT_EQ(Run("run {dir}/task.xml --machine {machine}").status, 0);
}

}  // namespace
}  // namespace clitest
