#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>

#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"
#include "platform/host/host.h"
#include "platform/host/modules/modules.h"
#include "tests/support/child_process.h"
#include "tests/support/file_text.h"
#include "tests/support/registry_values.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using cmr::Tracer;

namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override { file_ = dir_ / "EventCollector.log"; }
  void TearDown() override { Tracer::Instance().Shutdown(); }
  void Open(DWORD level, DWORD megabytes = 500) {
    Tracer::Instance().OpenTraceFile(u"EventCollector", level, cmr::Utf8ToUtf16(file_.string()), megabytes);
  }
  testsupport::TempDir temp_;
  fs::path dir_{temp_.path()}, file_;
};

const std::regex kLine(R"(\d+ *\|\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\.\d{3}\| *\d+\|\d\d\| .*)");

TEST_F(TraceTest, HeaderLinesAndThreshold) {
  Open(30);
  SetLastError(1234);
  Trace(10, u"failure %d", 1);
  Trace(30, u"progress %s", u"x");
  Trace(40, u"detail %d", 2);
  EXPECT_EQ(GetLastError(), 1234u);  // tracing leaves the last error alone
  Tracer::Instance().Shutdown();
  std::string text = testsupport::ReadFileText(file_);
  EXPECT_TRUE(std::regex_search(
      text, std::regex(R"(^EventCollector trace file \(\)\. Created at \d\d/\d\d/\d{4} \d\d:\d\d:\d\d\.\r\n)")))
      << text;
  EXPECT_NE(text.find("|10| failure 1\r\n"), std::string::npos);
  EXPECT_NE(text.find("|30| progress x\r\n"), std::string::npos);
  EXPECT_EQ(text.find("detail"), std::string::npos);
  EXPECT_NE(text.find("Windows "), std::string::npos);  // the system line at level 30
  EXPECT_TRUE(text.size() >= 20 && text.substr(text.size() - 20) == "Trace file closed.\r\n");
}

TEST_F(TraceTest, FilePastItsLimitKeepsItsNewestPart) {
  Open(40, 1);  // limit 1 MiB, keep 512 KiB
  EXPECT_EQ(Tracer::Instance().SizeLimit(), 1048576u);
  EXPECT_EQ(Tracer::Instance().KeepSize(), 524288u);
  std::u16string filler(4000, u'x');
  for (int i = 0; i < 300; ++i) Trace(10, u"%05d %s", i, filler);
  auto size = fs::file_size(file_);
  EXPECT_LE(size, 1048576u);
  std::string text = testsupport::ReadFileText(file_);
  EXPECT_NE(text.find("00299 "), std::string::npos);  // the newest line survives
  EXPECT_EQ(text.find("00001 "), std::string::npos);
}

TEST_F(TraceTest, LongMessagesAreShortenedToOneLine) {
  Open(40);
  Trace(10, u"%s", std::u16string(20000, u'y'));
  std::string text = testsupport::ReadFileText(file_);
  size_t start = text.find("yyyy");
  size_t end = text.find("\r\n", start);
  ASSERT_NE(end, std::string::npos);
  size_t prefix = text.rfind("\n", start) + 1;
  EXPECT_EQ(end - prefix, 16381u);
}

EC_CHILD_ROLE(trace_lines) {
  Tracer::Instance().OpenTraceFile(u"EventCollector", 40, cmr::Utf8ToUtf16(args.at(0)), 500);
  for (int i = 0; i < 200; ++i) Trace(10, u"%S line %d %s", args.at(1), i, std::u16string(300, u'z'));
  return 0;
}

TEST_F(TraceTest, TwoProcessesLeaveOnlyWholeLines) {
  {
    testsupport::Child a("trace_lines", {file_.string(), "A"});
    testsupport::Child b("trace_lines", {file_.string(), "B"});
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
  }
  std::istringstream in(testsupport::ReadFileText(file_));
  std::string line;
  int a = 0, b = 0;
  while (std::getline(in, line)) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    if (line.find("trace file") != std::string::npos || line.find("Windows") != std::string::npos ||
        line.find("Internet") != std::string::npos)
      continue;
    ASSERT_TRUE(std::regex_match(line, kLine)) << line;
    if (line.find("| A line") != std::string::npos) ++a;
    if (line.find("| B line") != std::string::npos) ++b;
  }
  EXPECT_EQ(a, 200);
  EXPECT_EQ(b, 200);
}

class TraceRegistryTest : public TraceTest {
 protected:
  // The executable seems to live in this test's folder, so the Tracing
  // folder beside it is the test's own.
  void SetUp() override {
    TraceTest::SetUp();
    host::SetExecutablePath((dir_ / "EventCollector.exe").string());
  }
  fs::path TracingFolder() { return dir_ / "Tracing"; }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, u"Software\\Calomar Overseer");
    TraceTest::TearDown();
    host::SetExecutablePath("");
  }
};

TEST_F(TraceRegistryTest, LevelFromTheRegistryAndFileBesideTheExecutable) {
  const struct {
    const char* name;
    std::optional<DWORD> level;  // none: no registry key
    DWORD writes, drops;         // 0: nothing is written
  } cases[] = {{"no key", std::nullopt, 0, 10}, {"level 0", 0, 0, 10}, {"level 20", 20, 20, 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(TracingFolder());
    if (c.level) {
      ASSERT_TRUE(testsupport::SetRegistryDword(u"Software\\Calomar Overseer\\Tracing", u"EventCollector", *c.level));
    }
    Tracer::Instance().ConfigureTracingFromRegistry(u"EventCollector", 500, 10);
    EXPECT_FALSE(Tracer::Instance().WouldWrite(c.drops));
    if (!c.writes) {
      EXPECT_FALSE(fs::exists(TracingFolder()));
      continue;
    }
    EXPECT_TRUE(Tracer::Instance().WouldWrite(c.writes));
    Trace(20, u"registry configured");
    EXPECT_NE(testsupport::ReadFileText(TracingFolder() / "EventCollector.log").find("registry configured"),
              std::string::npos);
  }
}

}  // namespace
