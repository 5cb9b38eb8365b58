// The Windows build: OLE Automation calls that the component makes with a
// const source VARIANT, which the MinGW headers declare non-const, and the
// type information of the module's own type library.
#pragma once

#include <oleauto.h>

#include "platform/mingw/type_info.h"
#include "platform/mingw/wide.h"

inline BSTR SysAllocString(const char16_t* text) { return ::SysAllocString(plat::W(text)); }
inline BSTR SysAllocStringLen(const char16_t* text, UINT length) { return ::SysAllocStringLen(plat::W(text), length); }

inline HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source) {
  return ::VariantCopy(dest, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* source) {
  return ::VariantCopyInd(dest, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags, VARTYPE vt) {
  return ::VariantChangeType(dest, const_cast<VARIANTARG*>(source), flags, vt);
}
