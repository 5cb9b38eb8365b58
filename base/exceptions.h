// The component's exception family. A failure travels inside the component
// as one of these and becomes an HRESULT with an error text at the COM
// method boundary (base/com/method_boundary.h). The family derives from
// std::exception, so that no handler can let one of them escape unseen;
// what() is the full text in UTF-8.
#pragma once

#include <exception>
#include <string>

#include "platform/api/types.h"

namespace cmr {

class BaseException : public std::exception {
 public:
  BaseException(LONG code, std::u16string message) : code_(code), message_(std::move(message)) {}
  ~BaseException() override = default;

  // The name of the error family ("Win32", "CRT", "Zlib").
  virtual const char16_t* KindName() const = 0;
  // The text that explains the code.
  virtual std::u16string Details() const = 0;
  // The complete error text: "<details> (Code:<code>)", or with a context
  // message "<message>. Error details: <details> (Code:<code>)".
  std::u16string FullText() const;

  LONG Code() const { return code_; }
  const std::u16string& Message() const { return message_; }

  // FullText() in UTF-8, built at the first call.
  const char* what() const noexcept override;

 private:
  LONG code_;
  std::u16string message_;
  mutable std::string narrow_;
};

// A Win32 error code with an optional context text.
class Win32Exception : public BaseException {
 public:
  explicit Win32Exception(DWORD code, std::u16string context = {})
      : BaseException(static_cast<LONG>(code), std::move(context)) {}
  const char16_t* KindName() const override { return u"Win32"; }
  std::u16string Details() const override;
};

// The calling thread's CRT errno at construction: build it right after the
// failing CRT call.
class ErrnoException : public BaseException {
 public:
  ErrnoException();
  const char16_t* KindName() const override { return u"CRT"; }
  std::u16string Details() const override;
};

// A zlib error number with zlib's own message.
class ZlibException : public BaseException {
 public:
  ZlibException(int error, std::u16string zlibText) : BaseException(error, {}), zlibText_(std::move(zlibText)) {}
  const char16_t* KindName() const override { return u"Zlib"; }
  std::u16string Details() const override { return zlibText_; }

 private:
  std::u16string zlibText_;
};

// A failed COM call's HRESULT with its description; it reaches the caller of
// a COM method as that HRESULT.
class ComError : public BaseException {
 public:
  ComError(HRESULT hr, std::u16string description) : BaseException(static_cast<LONG>(hr), std::move(description)) {}
  const char16_t* KindName() const override { return u"COM"; }
  std::u16string Details() const override;
  HRESULT Error() const { return static_cast<HRESULT>(Code()); }
  const std::u16string& Description() const { return Message(); }
};

// Throws ComError(hr, text) when hr is a failure.
void ThrowIfFailed(HRESULT hr, const std::u16string& text = {});

// Throws Win32Exception(code, text) when code is not 0.
void ThrowIfError(DWORD code, const std::u16string& text = {});
inline void ThrowIfError(LONG code, const std::u16string& text = {}) { ThrowIfError(static_cast<DWORD>(code), text); }

// Throws Win32Exception(GetLastError(), text) when result is 0, false or null.
void ThrowLastErrorIfFalse(bool result, const std::u16string& text = {});
template <class T>
void ThrowLastErrorIfFalse(T* result, const std::u16string& text = {}) {
  ThrowLastErrorIfFalse(result != nullptr, text);
}

// The system's text for a Win32 code (from `module` too when given), trimmed;
// the code in signed decimal when there is none.
std::u16string Win32ErrorText(DWORD code, HMODULE module = nullptr);

// The CRT's wide error text for an errno value, or "Bad CRT error number".
std::u16string CrtErrorText(int errnum, size_t bufferChars = 512, bool trim = true);

// Drops space, CR, LF, TAB and VT from both ends.
std::u16string TrimBlanks(std::u16string_view text);

}  // namespace cmr
