// Helpers of the COM tests: VARIANT values, the thread's error object, and a
// minimal IDispatch that counts its references (its default value,
// DISPID_VALUE, is the number 7).
#pragma once

#include <gtest/gtest.h>

#include "platform/api/oleauto.h"

namespace comtest {

// An empty VARIANT of the type; the caller sets its value.
inline VARIANT Of(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}
inline VARIANT Bstr(const char16_t* s) {
  VARIANT v = Of(VT_BSTR);
  v.bstrVal = SysAllocString(s);
  return v;
}
inline VARIANT I4(LONG value) {
  VARIANT v = Of(VT_I4);
  v.lVal = value;
  return v;
}
// A VARIANT that holds the object without a reference of its own.
inline VARIANT Dispatch(IDispatch* object) {
  VARIANT v = Of(VT_DISPATCH);
  v.pdispVal = object;
  return v;
}

// Sets the thread's error object: the description and, when given, the source.
inline void SetThreadError(const char16_t* description, const char16_t* source = nullptr) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  ASSERT_EQ(create->SetDescription(const_cast<LPOLESTR>(description)), S_OK);
  if (source) create->SetSource(const_cast<LPOLESTR>(source));
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  EXPECT_EQ(SetErrorInfo(0, info), S_OK);
  info->Release();
  create->Release();
}

class CountingDispatch final : public IDispatch {
 public:
  ULONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    bool known = riid == IID_IUnknown || riid == IID_IDispatch;
    *object = known ? static_cast<IDispatch*>(this) : nullptr;
    return known ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    *result = I4(7);
    return S_OK;
  }
};

}  // namespace comtest
