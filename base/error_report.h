// Failures at the COM boundary: each operation writes a trace line, sets the
// thread's COM error object with the error text and returns the HRESULT it
// was given, so that a method can end with `return ReportError(...)`.
#pragma once

#include <string>

#include "base/exceptions.h"
#include "platform/api/errors.h"
#include "platform/api/types.h"

namespace cmr {

class Tracer;

// The CLSID of the coclass Task, which task errors name as their origin.
extern const CLSID kClsidTask;

HRESULT ReportError(HRESULT hr, const std::u16string& text);
// The narrow text is widened with the thread's ANSI code page.
HRESULT ReportErrorA(HRESULT hr, const std::string& text);
HRESULT ReportWin32Error(HRESULT hr, DWORD code, const std::u16string& text);
HRESULT ReportCrtError(HRESULT hr, int errnum, const std::u16string& text);
// As ReportError, with the Task class as the error's GUID and "EC" as its source.
HRESULT ReportTaskError(HRESULT hr, const std::u16string& text);

// Takes the thread's error object: "<description> (Error number: 0x<hr>)",
// or "Error 0x<hr>" when there is none.
std::u16string GetErrorText(HRESULT hr);

// One trace line for a caught exception of the family, built only when the
// line would be written.
void TraceException(Tracer& tracer, DWORD level, const std::u16string& context, const BaseException& e);

// A Win32 code as an HRESULT: 0x80070000 | low 16 bits when greater than 0.
inline HRESULT HresultFromWin32(DWORD code) {
  return static_cast<LONG>(code) <= 0 ? static_cast<HRESULT>(code)
                                      : static_cast<HRESULT>((code & 0x0000FFFFu) | 0x80070000u);
}

}  // namespace cmr
