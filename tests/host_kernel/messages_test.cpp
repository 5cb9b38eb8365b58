#include <gtest/gtest.h>

#include <string>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/modules/message_modules.h"

namespace {

std::u16string SystemText(DWORD code, DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS) {
  LPWSTR text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code, 0,
                           reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n == 0) return u"<failed>";
  std::u16string result(text, n);
  LocalFree(text);
  return result;
}

TEST(SystemMessages, TextsEndInCrLfAsWindowsWritesThem) {
  EXPECT_EQ(SystemText(5), u"Access is denied.\r\n");
  EXPECT_EQ(SystemText(2), u"The system cannot find the file specified.\r\n");
  EXPECT_EQ(SystemText(1503), u"The event log file has changed between read operations.\r\n");
  EXPECT_EQ(SystemText(1722), u"The RPC server is unavailable.\r\n");
  EXPECT_EQ(SystemText(15029), u"The substitution string for insert index (%1) could not be found.\r\n");
  EXPECT_EQ(SystemText(0x80070005u), u"Access is denied.\r\n");  // HRESULT_FROM_WIN32(5)
  EXPECT_EQ(SystemText(0x80004005u), u"Unspecified error\r\n");
}

TEST(SystemMessages, UnknownCodeFailsWithMessageNotFound) {
  char16_t buffer[64];
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 0x20000001, 0, buffer,
                           64, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, MAKELANGID(0x07, 1), buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
}

TEST(SystemMessages, CallerBufferProtocol) {
  char16_t small[10];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, small, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char16_t exact[20];  // 17 characters, CR LF and the null
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, exact, 20, nullptr), 19u);
  EXPECT_EQ(std::u16string(exact), u"Access is denied.\r\n");
}

TEST(SystemMessages, InsertsExpandUnlessIgnored) {
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(u"abc"), 42};
  char16_t out[64];
  const char16_t* format = u"%1 has %2!d! items%n100%% done%0 hidden";
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format, 0, 0, out, 64,
                           reinterpret_cast<va_list*>(args));
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::u16string(out), u"abc has 42 items\r\n100% done");
  n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, format, 0, 0, out, 64, nullptr);
  EXPECT_EQ(std::u16string(out), u"%1 has %2!d! items\r\n100% done");
}

DWORD FakeModuleLookup(HMODULE, DWORD id, DWORD, std::u16string* text) {
  if (id != 7) return ERROR_MR_MID_NOT_FOUND;
  *text = u"Service %1 started.\r\n";
  return 0;
}

TEST(SystemMessages, ModuleLookupGoesThroughTheRegisteredHook) {
  char16_t out[64];
  host::SetModuleMessageLookup(nullptr);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 7, 0, out, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  host::SetModuleMessageLookup(FakeModuleLookup);
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(u"Spooler")};
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, 7, 0, out, 64,
                           reinterpret_cast<va_list*>(args)),
            26u);
  EXPECT_EQ(std::u16string(out), u"Service Spooler started.\r\n");
  // Not in the module but FROM_SYSTEM as well: the system table answers.
  EXPECT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, out, 64, nullptr),
            0u);
  host::SetModuleMessageLookup(nullptr);
}

TEST(SystemMessages, InjectedFaultFailsTheCall) {
  host::ClearFaults();
  host::InjectFault("FormatMessageW", 1, ERROR_NOT_ENOUGH_MEMORY);
  char16_t out[64];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, out, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, out, 64, nullptr), 0u);
  host::ClearFaults();
}

}  // namespace
