#include "base/error_report.h"

#include <vector>

#include "base/format.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/oleauto.h"
#include "platform/api/wide.h"

namespace cmr {

// {97D489F1-2498-4274-8261-2764FDB7F5DF}: the CLSID of Task in com/EventCollector.idl.
const CLSID kClsidTask = {0x97D489F1, 0x2498, 0x4274, {0x82, 0x61, 0x27, 0x64, 0xFD, 0xB7, 0xF5, 0xDF}};

namespace {

// Sets the thread's error object; a failure while building it is dropped.
void SetErrorObject(const std::u16string& text, const GUID* guid, const char16_t* source) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create)) || create == nullptr) return;
  std::u16string description = text;
  create->SetDescription(plat::W(description.data()));
  if (guid != nullptr) create->SetGUID(*guid);
  if (source != nullptr) {
    std::u16string s = source;
    create->SetSource(plat::W(s.data()));
  }
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info != nullptr) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
}

}  // namespace

HRESULT ReportError(HRESULT hr, const std::u16string& text) {
  Trace(10, u"Error: %s, HR: %X", text, hr);
  SetErrorObject(text, nullptr, nullptr);
  return hr;
}

HRESULT ReportTaskError(HRESULT hr, const std::u16string& text) {
  Trace(10, u"Error: %s, HR: %X", text, hr);
  SetErrorObject(text, &kClsidTask, u"EC");
  return hr;
}

HRESULT ReportErrorA(HRESULT hr, const std::string& text) {
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<WCHAR> wide(static_cast<size_t>(n > 0 ? n : 0) + 1, 0);
  if (n > 0) MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return ReportError(hr, std::u16string(plat::U(wide.data()), static_cast<size_t>(n > 0 ? n : 0)));
}

HRESULT ReportWin32Error(HRESULT hr, DWORD code, const std::u16string& text) {
  std::u16string m = text + u". Error details: " + Win32ErrorText(code);
  Trace(10, u"Win32 Error: %d(%s), HR: %X.", code, m, hr);
  return ReportError(hr, m);
}

HRESULT ReportCrtError(HRESULT hr, int errnum, const std::u16string& text) {
  std::u16string m = text + u". Error details: " + CrtErrorText(errnum, 1024, false);
  Trace(10, u"CRT Error: %s(%d), HR: %X", m, errnum, hr);
  return ReportError(hr, m);
}

std::u16string GetErrorText(HRESULT hr) {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return FormatString(u"Error 0x%X", hr);
  BSTR description = nullptr;
  std::u16string text;
  if (FAILED(info->GetDescription(&description))) {
    text = FormatString(u"Error 0x%X", hr);
  } else {
    text = FormatString(u"%s (Error number: 0x%X)", plat::U(description), hr);
    SysFreeString(description);
  }
  info->Release();
  return text;
}

void TraceException(Tracer& tracer, DWORD level, const std::u16string& context, const BaseException& e) {
  if (!tracer.WouldWrite(level)) return;
  tracer.WriteLine(level, FormatString(u"%s: %s exception: %s", context, e.KindName(), e.FullText()));
}

}  // namespace cmr
