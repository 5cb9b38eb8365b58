// Helpers of the COM tests: owned BSTRs, what getters give and the thread's
// error text.
#pragma once

#include <gtest/gtest.h>

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

// What a property getter of `object` gives: the text of a BSTR getter, the
// value of any other; a getter that fails fails the test.
template <class O, class I>
std::u16string Get(O* object, HRESULT (STDMETHODCALLTYPE I::*getter)(BSTR*)) {
  Bstr text;
  EXPECT_EQ((object->*getter)(text.Out()), S_OK);
  return text.Text();
}
template <class O, class I, class T>
T Get(O* object, HRESULT (STDMETHODCALLTYPE I::*getter)(T*)) {
  T value{};
  EXPECT_EQ((object->*getter)(&value), S_OK);
  return value;
}

// The thread's error object, taken: whether there was one, its texts and GUID.
struct ErrorObject {
  bool present = false;
  std::u16string description, source;
  GUID guid{};
};

inline ErrorObject TakeErrorObject() {
  ErrorObject found;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return found;
  found.present = true;
  Bstr description, source;
  if (info->GetDescription(description.Out()) == S_OK) found.description = description.Text();
  if (info->GetSource(source.Out()) == S_OK && source.b) found.source = source.Text();
  info->GetGUID(&found.guid);
  info->Release();
  return found;
}

// Takes the thread's error object: its description, or "<none>" when there is none.
inline std::u16string TakeErrorDescription() {
  ErrorObject error = TakeErrorObject();
  return error.present ? error.description : u"<none>";
}

}  // namespace testsupport
