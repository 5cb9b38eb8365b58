// The Windows build: OLE Automation calls that the component makes with a
// const source VARIANT, which the MinGW headers declare non-const.
#pragma once

#include <oleauto.h>

inline HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source) {
  return ::VariantCopy(dest, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* source) {
  return ::VariantCopyInd(dest, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags, VARTYPE vt) {
  return ::VariantChangeType(dest, const_cast<VARIANTARG*>(source), flags, vt);
}
