#include <gtest/gtest.h>

#include <cerrno>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "platform/api/oleauto.h"
#include "platform/api/wide.h"
#include "tests/support/com_values.h"
#include "tests/support/system_text.h"
#ifndef _WIN32
#include "platform/host/faults/faults.h"
#endif

using namespace cmr;

namespace {

const std::u16string kAccessDenied = testsupport::SystemErrorText(5, u"Access is denied.");

TEST(Exceptions, Win32FullTextWithAndWithoutContextOrSystemText) {
  EXPECT_EQ(Win32Exception(5).FullText(), kAccessDenied + u" (Code:5)");
  EXPECT_EQ(Win32Exception(5, u"Failed to open the event log").FullText(),
            u"Failed to open the event log. Error details: " + kAccessDenied + u" (Code:5)");
  EXPECT_STREQ(reinterpret_cast<const char*>(Win32Exception(5).KindName()), reinterpret_cast<const char*>(u"Win32"));
  // A code without system text is its decimal.
  Win32Exception e(536870913);
  EXPECT_EQ(e.Details(), u"536870913");
  EXPECT_EQ(e.FullText(), u"536870913 (Code:536870913)");
  // Codes of 2^31 and more print negative.
  EXPECT_EQ(Win32Exception(0x80000001u).FullText(), u"-2147483647 (Code:-2147483647)");
}

TEST(Exceptions, ZlibAndCrtFamilies) {
  ZlibException z(-2, u"stream error");
  EXPECT_EQ(z.FullText(), u"stream error (Code:-2)");
  EXPECT_EQ(std::u16string(z.KindName()), u"Zlib");
  errno = ENOENT;
  ErrnoException e;
  EXPECT_EQ(e.Code(), ENOENT);
  EXPECT_EQ(e.Details(), u"No such file or directory");
  EXPECT_EQ(std::u16string(e.KindName()), u"CRT");
  errno = 4242;
  EXPECT_EQ(ErrnoException().Details(), u"Unknown error");
  // Copies keep code, message and the zlib text.
  ZlibException copy = z;
  EXPECT_EQ(copy.FullText(), z.FullText());
}

#ifndef _WIN32
// Fault injection is the simulated host's.
TEST(Exceptions, CrtErrorTextFailureGivesFixedText) {
  host::ClearFaults();
  host::InjectFault("_wcserror_s", 1, ERROR_INVALID_PARAMETER);
  errno = EACCES;
  EXPECT_EQ(ErrnoException().Details(), u"Bad CRT error number");
  host::ClearFaults();
}
#endif

TEST(Exceptions, TrimBlanks) {
  EXPECT_EQ(TrimBlanks(u"Access is denied.\r\n"), u"Access is denied.");
  EXPECT_EQ(TrimBlanks(u" \t\v\r\n"), u"");
  EXPECT_EQ(TrimBlanks(u""), u"");
  EXPECT_EQ(TrimBlanks(u"\tline one\r\nline two \r\n"), u"line one\r\nline two");
}

// The code and message of the Win32Exception that `work` throws.
template <class Work>
std::pair<LONG, std::u16string> Raised(Work&& work) {
  try {
    work();
  } catch (const Win32Exception& e) {
    return {e.Code(), e.Message()};
  }
  return {-1, u"<nothing thrown>"};
}

TEST(Exceptions, RaisingHelpers) {
  EXPECT_NO_THROW(ThrowIfError(DWORD{0}));
  EXPECT_EQ(Raised([] { ThrowIfError(DWORD{2}, u"ctx"); }), std::make_pair(LONG{2}, std::u16string(u"ctx")));
  SetLastError(6);
  EXPECT_EQ(Raised([] { ThrowLastErrorIfFalse(false); }), std::make_pair(LONG{6}, std::u16string()));
  int* none = nullptr;
  SetLastError(14);
  EXPECT_EQ(Raised([&] { ThrowLastErrorIfFalse(none); }).first, 14);
}

TEST(ErrorReport, GetErrorTextConsumesTheErrorObject) {
  EXPECT_EQ(GetErrorText(E_FAIL), u"Error 0x80004005");
  EXPECT_EQ(ReportError(E_FAIL, u"D"), E_FAIL);
  EXPECT_EQ(GetErrorText(E_FAIL), u"D (Error number: 0x80004005)");
  EXPECT_EQ(GetErrorText(E_FAIL), u"Error 0x80004005");
}

TEST(ErrorReport, TaskErrorsNameTheTaskClassAndSource) {
  ReportTaskError(E_FAIL, u"task failed");
  testsupport::ErrorObject error = testsupport::TakeErrorObject();
  ASSERT_TRUE(error.present);
  EXPECT_EQ(error.guid, kClsidTask);
  EXPECT_EQ(error.source, u"EC");
  EXPECT_EQ(error.description, u"task failed");
}

TEST(ErrorReport, HresultFromWin32) {
  EXPECT_EQ(HresultFromWin32(0), 0);
  EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(53)), 0x80070035u);
  EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(0x80004005u)), 0x80004005u);
}

}  // namespace
