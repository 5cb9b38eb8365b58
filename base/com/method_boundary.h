// The boundary of a COM method: nothing the method's work throws leaves it.
// Every failure becomes the method's HRESULT and, except for exhausted
// memory, the thread's error object:
//   std::bad_alloc           E_OUTOFMEMORY, no error object
//   cmr::ComError            its own HRESULT, its description
//   other cmr exceptions     E_FAIL, their full text
//   other std::exception     E_FAIL, what() widened with the ANSI code page
//   anything else            E_FAIL, kUnknownFailureText
// Also BSTR arguments and results as wide text.
#pragma once

#include <string>
#include <string_view>

#include "base/error_report.h"
#include "platform/api/oleauto.h"
#include "platform/api/wide.h"

namespace com {

// How a class reports a failure: cmr::ReportError, or cmr::ReportTaskError
// for the Task class.
using ErrorReporter = HRESULT (*)(HRESULT hr, const std::u16string& text);

inline constexpr char16_t kUnknownFailureText[] = u"Unknown exception";

// The result for the exception being handled; call it only inside a catch.
HRESULT CurrentFailure(ErrorReporter report) noexcept;

// Runs a method's body and turns what it throws into the method's result.
template <class Body>
HRESULT Guarded(Body body, ErrorReporter report = &cmr::ReportError) noexcept {
  try {
    return body();
  } catch (...) {
    return CurrentFailure(report);
  }
}

// A BSTR argument as text; a null BSTR is the empty text.
inline std::u16string_view BstrText(BSTR text) {
  return text != nullptr ? std::u16string_view(plat::U(text), SysStringLen(text)) : std::u16string_view();
}

// A new BSTR with the text into *out: E_POINTER without out, E_OUTOFMEMORY
// when it cannot be allocated.
inline HRESULT ReturnBstr(std::u16string_view text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(plat::W(text.data()), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace com
