// MultiByteToWideChar / WideCharToMultiByte for UTF-8 and the ANSI code
// page, which the host fixes at Windows-1252.
#include <cstring>
#include <string>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five bytes it leaves undefined,
// which Windows maps to the same-valued control characters.
constexpr char16_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t FromAnsi(unsigned char b) {
  if (b >= 0x80 && b < 0xA0 && k1252High[b - 0x80]) return k1252High[b - 0x80];
  return b;
}

// The 1252 byte for a UTF-16 unit, or -1 when the code page has none.
int ToAnsi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i) {
    if (k1252High[i] == c) return 0x80 + i;
    if (!k1252High[i] && c == 0x80 + i) return c;
  }
  return -1;
}

bool IsAnsi(UINT codePage) { return codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == 1252; }

// Copies a result into the caller's buffer under the Windows size protocol:
// size 0 asks for the size only.
template <class Char>
int Deliver(const std::basic_string<Char>& result, Char* out, int outSize) {
  if (outSize == 0) return static_cast<int>(result.size());
  if (static_cast<size_t>(outSize) < result.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, result.data(), result.size() * sizeof(Char));
  return static_cast<int>(result.size());
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide, int wideChars) {
  HOST_FAULT_RETURN("MultiByteToWideChar", 0);
  if (!text || bytes == 0 || bytes < -1 || wideChars < 0 || (wideChars > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string_view in(text, bytes == -1 ? std::strlen(text) + 1 : static_cast<size_t>(bytes));
  std::u16string out;
  if (codePage == CP_UTF8) {
    if ((flags & MB_ERR_INVALID_CHARS) && !plat::IsValidUtf8(in)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    out = plat::Utf8ToUtf16(in);
  } else if (IsAnsi(codePage)) {
    for (char c : in) out.push_back(FromAnsi(static_cast<unsigned char>(c)));
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Deliver(out, wide, wideChars);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR text, int bytes,
                        LPCSTR defaultChar, LPBOOL usedDefault) {
  HOST_FAULT_RETURN("WideCharToMultiByte", 0);
  if (!wide || wideChars == 0 || wideChars < -1 || bytes < 0 || (bytes > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view in(
      wide, wideChars == -1 ? std::char_traits<char16_t>::length(wide) + 1 : static_cast<size_t>(wideChars));
  std::string out;
  if (codePage == CP_UTF8) {
    if (defaultChar || usedDefault) {  // as documented for UTF-8
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if ((flags & WC_ERR_INVALID_CHARS) && !plat::IsValidUtf16(in)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    out = plat::Utf16ToUtf8(in);
  } else if (IsAnsi(codePage)) {
    char fallback = defaultChar ? *defaultChar : '?';
    if (usedDefault) *usedDefault = FALSE;
    for (char16_t c : in) {
      int b = ToAnsi(c);
      if (b < 0 && usedDefault) *usedDefault = TRUE;
      out.push_back(b < 0 ? fallback : static_cast<char>(b));
    }
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Deliver(out, text, bytes);
}
