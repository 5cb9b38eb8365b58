#include <gtest/gtest.h>

#include <string>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/modules/message_modules.h"

namespace {

const DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM, kModule = FORMAT_MESSAGE_FROM_HMODULE,
            kString = FORMAT_MESSAGE_FROM_STRING, kIgnore = FORMAT_MESSAGE_IGNORE_INSERTS,
            kArray = FORMAT_MESSAGE_ARGUMENT_ARRAY, kAllocate = FORMAT_MESSAGE_ALLOCATE_BUFFER;

std::u16string Error(DWORD code) {
  std::string n = std::to_string(code);
  return u"<error " + std::u16string(n.begin(), n.end()) + u">";
}

// What FormatMessageW gives into a buffer of `size` characters (or one it
// allocates): the text, its length as returned, or "<error N>".
std::u16string Format(DWORD flags, DWORD id, DWORD size = 128, DWORD language = 0, const DWORD_PTR* args = nullptr,
                      const char16_t* source = nullptr) {
  char16_t buffer[128] = {};
  LPWSTR allocated = nullptr;
  LPWSTR out = flags & kAllocate ? reinterpret_cast<LPWSTR>(&allocated) : buffer;
  DWORD n =
      FormatMessageW(flags, source, id, language, out, size, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
  if (n == 0) return Error(GetLastError());
  std::u16string text(allocated ? allocated : buffer, n);
  if (!allocated && buffer[n] != 0) return u"<no null after the text>";
  LocalFree(allocated);
  return text;
}

DWORD FakeModuleLookup(HMODULE, DWORD id, DWORD, std::u16string* text) {
  if (id != 7) return ERROR_MR_MID_NOT_FOUND;
  *text = u"Service %1 started.\r\n";
  return 0;
}

TEST(SystemMessages, TextsInsertsFailuresAndInjectedFaults) {
  const DWORD_PTR counted[] = {reinterpret_cast<DWORD_PTR>(u"abc"), 42};
  const DWORD_PTR service[] = {reinterpret_cast<DWORD_PTR>(u"Spooler")};
  const char16_t* format = u"%1 has %2!d! items%n100%% done%0 hidden";
  host::SetModuleMessageLookup(FakeModuleLookup);
  struct Case {
    DWORD flags, id, size, language;
    const DWORD_PTR* args;
    const char16_t* source;
    std::u16string expected;
  } cases[] = {
      // System texts end in CR LF as Windows writes them.
      {kAllocate | kSystem | kIgnore, 5, 0, 0, nullptr, nullptr, u"Access is denied.\r\n"},
      {kAllocate | kSystem | kIgnore, 2, 0, 0, nullptr, nullptr, u"The system cannot find the file specified.\r\n"},
      {kAllocate | kSystem | kIgnore, 1503, 0, 0, nullptr, nullptr,
       u"The event log file has changed between read operations.\r\n"},
      {kAllocate | kSystem | kIgnore, 1722, 0, 0, nullptr, nullptr, u"The RPC server is unavailable.\r\n"},
      {kAllocate | kSystem | kIgnore, 15029, 0, 0, nullptr, nullptr,
       u"The substitution string for insert index (%1) could not be found.\r\n"},
      {kAllocate | kSystem | kIgnore, 0x80070005u, 0, 0, nullptr, nullptr, u"Access is denied.\r\n"},
      {kAllocate | kSystem | kIgnore, 0x80004005u, 0, 0, nullptr, nullptr, u"Unspecified error\r\n"},
      {kSystem | kIgnore, 0x20000001, 64, 0, nullptr, nullptr, Error(ERROR_MR_MID_NOT_FOUND)},
      {kSystem, 5, 64, MAKELANGID(0x07, 1), nullptr, nullptr, Error(ERROR_RESOURCE_LANG_NOT_FOUND)},
      // The caller's buffer: 17 characters, CR LF and the null.
      {kSystem, 5, 10, 0, nullptr, nullptr, Error(ERROR_INSUFFICIENT_BUFFER)},
      {kSystem, 5, 20, 0, nullptr, nullptr, u"Access is denied.\r\n"},
      {kString | kArray, 0, 64, 0, counted, format, u"abc has 42 items\r\n100% done"},
      {kString | kIgnore, 0, 64, 0, nullptr, format, u"%1 has %2!d! items\r\n100% done"},
      // Module texts come through the registered lookup; FROM_SYSTEM as
      // well lets the system table answer what the module lacks.
      {kModule | kArray, 7, 64, 0, service, nullptr, u"Service Spooler started.\r\n"},
      {kModule | kSystem, 5, 64, 0, nullptr, nullptr, u"Access is denied.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(Format(c.flags, c.id, c.size, c.language, c.args, c.source), c.expected);
  }
  host::SetModuleMessageLookup(nullptr);
  EXPECT_EQ(Format(kModule, 7), Error(ERROR_RESOURCE_TYPE_NOT_FOUND));
  host::ClearFaults();
  host::InjectFault("FormatMessageW", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Format(kSystem, 5), Error(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(Format(kSystem, 5), u"Access is denied.\r\n");
  host::ClearFaults();
}

}  // namespace
