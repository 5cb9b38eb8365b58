// What the error reports write to the trace file.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "base/error_report.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/errors.h"
#include "tests/support/system_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/trace_file.h"

namespace fs = std::filesystem;
using namespace cmr;

namespace {

class ErrorTraceTest : public ::testing::Test {
 protected:
  void Open(DWORD level) { trace_.emplace(fs::path(dir_.path()) / "trace.log", level); }
  std::string Lines() { return trace_->Text(); }
  testsupport::TempDir dir_;
  std::optional<testsupport::TraceFile> trace_;
};

// A Win32 report traces twice, a CRT report once with the CRT text as it
// is; both leave their text for GetErrorText.
TEST_F(ErrorTraceTest, ReportsTraceAndLeaveTheirTexts) {
  Open(10);
  EXPECT_EQ(ReportWin32Error(E_FAIL, 2, u"Failed to rename working file"), E_FAIL);
  std::string m = "Failed to rename working file. Error details: " +
                  Utf16ToUtf8(testsupport::SystemErrorText(2, u"The system cannot find the file specified."));
  EXPECT_EQ(Utf16ToUtf8(GetErrorText(E_FAIL)), m + " (Error number: 0x80004005)");
  EXPECT_EQ(ReportCrtError(E_FAIL, 13, u"Failed to open file"), E_FAIL);
  EXPECT_EQ(GetErrorText(E_FAIL), u"Failed to open file. Error details: Permission denied (Error number: 0x80004005)");
  std::string text = Lines();
  for (const std::string& line :
       {"|10| Win32 Error: 2(" + m + "), HR: 80004005.\r\n", "|10| Error: " + m + ", HR: 80004005\r\n",
        std::string("|10| CRT Error: Failed to open file. Error details: Permission denied(13), HR: 80004005")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

TEST_F(ErrorTraceTest, TraceExceptionOnlyWhenTheLevelPasses) {
  Open(20);
  TraceException(Tracer::Instance(), 20, u"Failed to dump event descriptions", Win32Exception(5));
  TraceException(Tracer::Instance(), 30, u"dropped", Win32Exception(5));
  std::string text = Lines();
  std::string denied = Utf16ToUtf8(testsupport::SystemErrorText(5, u"Access is denied."));
  EXPECT_NE(text.find("|20| Failed to dump event descriptions: Win32 exception: " + denied + " (Code:5)\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("dropped"), std::string::npos);
}

TEST(ErrorReportA, AnsiTextIsWidenedWithTheCodePage) {
  // Windows-1252: ü ß, and the euro sign at 0x80.
  EXPECT_EQ(ReportErrorA(E_FAIL,
                         "Gr\xFC\xDF"
                         "e \x80"),
            E_FAIL);
  EXPECT_EQ(GetErrorText(E_FAIL), u"Grüße € (Error number: 0x80004005)");
}

}  // namespace
