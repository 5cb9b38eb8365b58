#include "base/exceptions.h"

#include <cerrno>
#include <vector>

#include "base/format.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {

std::u16string BaseException::FullText() const {
  std::u16string d = Details();
  if (message_.empty()) return FormatString(u"%s (Code:%d)", d, code_);
  return FormatString(u"%s. Error details: %s (Code:%d)", message_, d, code_);
}

const char* BaseException::what() const noexcept {
  if (narrow_.empty()) {
    try {
      narrow_ = Utf16ToUtf8(FullText());
    } catch (...) {
      return "cmr::BaseException";
    }
  }
  return narrow_.c_str();
}

std::u16string Win32Exception::Details() const { return Win32ErrorText(static_cast<DWORD>(Code())); }

ErrnoException::ErrnoException() : BaseException(errno, {}) {}

std::u16string ErrnoException::Details() const { return CrtErrorText(Code()); }

std::u16string ComError::Details() const { return FormatString(u"HRESULT 0x%08X", Error()); }

void ThrowIfFailed(HRESULT hr, const std::u16string& text) {
  if (FAILED(hr)) throw ComError(hr, text);
}

void ThrowIfError(DWORD code, const std::u16string& text) {
  if (code != 0) throw Win32Exception(code, text);
}

void ThrowLastErrorIfFalse(bool result, const std::u16string& text) {
  if (!result) {
    DWORD code = GetLastError();
    throw Win32Exception(code, text);
  }
}

std::u16string Win32ErrorText(DWORD code, HMODULE module) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (module != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  LPWSTR buffer = nullptr;
  DWORD n = FormatMessageW(flags, module, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::u16string text;
  if (n != 0 && buffer != nullptr) {
    text.assign(plat::U(buffer), n);
    LocalFree(buffer);
  } else {
    text = ToText(static_cast<int32_t>(code));
  }
  return TrimBlanks(text);
}

std::u16string CrtErrorText(int errnum, size_t bufferChars, bool trim) {
  std::vector<WCHAR> buffer(bufferChars, 0);
  if (_wcserror_s(buffer.data(), buffer.size(), errnum) != 0) return u"Bad CRT error number";
  std::u16string text(plat::U(buffer.data()));
  return trim ? TrimBlanks(text) : text;
}

std::u16string TrimBlanks(std::u16string_view text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t' || c == u'\v'; };
  size_t first = 0, last = text.size();
  while (first < last && blank(text[first])) ++first;
  while (last > first && blank(text[last - 1])) --last;
  return std::u16string(text.substr(first, last - first));
}

}  // namespace cmr
