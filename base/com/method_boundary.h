// The boundary of a COM method: what may escape the method's work becomes an
// HRESULT (std::bad_alloc: E_OUTOFMEMORY; any other std::exception: E_FAIL
// with its text as the error object's description), and BSTR arguments and
// results as wide text.
#pragma once

#include <exception>
#include <new>
#include <string_view>

#include "base/error_report.h"
#include "platform/api/oleauto.h"

namespace com {

// Runs a method's body and turns what it throws into the method's result.
template <class Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    return cmr::ReportErrorA(E_FAIL, e.what());
  }
}

// A BSTR argument as text; a null BSTR is the empty text.
inline std::u16string_view BstrText(BSTR text) {
  return text != nullptr ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

// A new BSTR with the text into *out: E_POINTER without out, E_OUTOFMEMORY
// when it cannot be allocated.
inline HRESULT ReturnBstr(std::u16string_view text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace com
