// The text of a system error code that a test expects inside a message:
// Windows' own text, given by the test. Under Wine the system's texts differ
// from Windows' ("Access denied." for 5), so there the expected text is the
// one the system gives; what the test checks is the message built around it.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/types.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

#ifdef _WIN32
inline bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::u16string SystemMessage(DWORD code) {
  wchar_t text[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text / sizeof text[0], nullptr);
  while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
  return std::u16string(text, text + n);
}
#endif

inline std::u16string SystemErrorText(DWORD code, std::u16string_view windowsText) {
#ifdef _WIN32
  if (UnderWine()) return SystemMessage(code);
#else
  (void)code;
#endif
  return std::u16string(windowsText);
}

}  // namespace testsupport
