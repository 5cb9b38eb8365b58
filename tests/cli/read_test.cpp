#include "tests/cli/cli_fixture.h"
#include "tests/support/shell_command.h"

namespace clitest {
namespace {

std::string TestLog(const char* name) { return std::string(EC_TESTDATA_DIR) + "/logs/" + name; }

// What an independent reader (evtexport, evtxexport) tells of a file; a
// status of -1 when the tool is not installed.
Output Independent(const std::string& tool, const std::string& file) {
  Output told;
  if (testsupport::ToolAvailable(tool)) told.status = testsupport::RunCommand(tool + " '" + file + "'", told.out);
  return told;
}

TEST_F(Cli, ReadsARealClassicLogAsTheIndependentReaderDoes) {
  std::string file = TestLog("SysEvent.Evt");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "test log absent: " << file;
  Output text = RunOk("read " + file), json = RunOk("read --json " + file);
  auto lines = Lines(json.out);
  std::regex head(R"(\{"RecordNumber":\d+,"TimeGenerated":\d+,"TimeWritten":\d+,"EventID":\d+,"EventCode":\d+,)");
  for (const auto& l : lines) {
    ASSERT_TRUE(std::regex_search(l.substr(0, 120), head, std::regex_constants::match_continuous)) << l;
    ASSERT_NE(l.find(",\"Strings\":["), std::string::npos) << l;
    ASSERT_EQ(l.substr(l.size() - 2), "]}") << l;
  }
  ExpectPieces(text.out, {"\n" + std::to_string(lines.size()) + " records, 0 skipped\n"});

  Output other = Independent("evtexport", file);
  if (other.status != 0) GTEST_SKIP() << "evtexport not installed";
  EXPECT_EQ(Numbers(json.out, "\"RecordNumber\":"), Numbers(other.out, "Event number", ": "));
  EXPECT_EQ(Numbers(json.out, "\"EventID\":"), Numbers(other.out, "Event identifier", "("));
}

TEST_F(Cli, ReadsARealEvtxLogWithTypedValues) {
  std::string file = TestLog("security.evtx");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "test log absent: " << file;
  Output json = RunOk("read --json " + file);
  for (const auto& l : Lines(json.out)) {
    ASSERT_EQ(l.rfind("{\"ProviderName\":{\"type\":\"String\",\"value\":", 0), 0u) << l;
    ExpectPieces(l, {",\"EventID\":{\"type\":\"UInt16\",\"value\":", ",\"EventData\":["});
    ASSERT_EQ(l.substr(l.size() - 2), "]}") << l;
  }
  ExpectPieces(json.out, {R"({"type":"Sid","value":"S-1-5-18"})"});

  Output other = Independent("evtxexport", file);
  if (other.status != 0) GTEST_SKIP() << "evtxexport not installed";
  EXPECT_EQ(Numbers(json.out, "\"EventRecordID\":", "\"value\":"), Numbers(other.out, "Event number", ": "));
  EXPECT_EQ(Numbers(json.out, "\"EventID\":", "\"value\":"), Numbers(other.out, "Event identifier", "("));
}

TEST_F(Cli, ReadsTheMachineLogsByTheirWindowsPaths) {
  Output read = RunOk("read C:\\Windows\\System32\\winevt\\Logs\\Security.evtx --machine {machine}");
  EXPECT_EQ(read.err, "");  // progress lines appear only on a terminal
  // The live Security log continues the record ids of its archive.
  EXPECT_EQ(Numbers(read.out, "EventRecordID", "UInt64"), (std::vector<uint64_t>{4, 5, 6, 7, 8, 9, 10, 11}));
  ExpectPieces(read.out, {"Sid       S-1-5-18"});
}

}  // namespace
}  // namespace clitest
