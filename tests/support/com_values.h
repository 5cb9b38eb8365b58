// Helpers of the COM tests: owned BSTRs and the thread's error text.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/oleauto.h"
#include "platform/api/wide.h"

namespace testsupport {

// An owned BSTR argument or result.
struct Bstr {
  BSTR b = nullptr;
  explicit Bstr(std::u16string_view text = {}) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Out() {
    SysFreeString(b);
    b = nullptr;
    return &b;
  }
  std::u16string Text() const { return b ? std::u16string(plat::U(b), SysStringLen(b)) : u"<null>"; }
};

// Takes the thread's error object: its description, or "<none>" when there is none.
inline std::u16string TakeErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return u"<none>";
  Bstr d;
  info->GetDescription(d.Out());
  info->Release();
  return d.Text();
}

}  // namespace testsupport
