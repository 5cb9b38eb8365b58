// VARIANT life cycle: initialisation, clearing with ownership of strings,
// interfaces and arrays, and copying.
#include <cstring>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"
#include "platform/host/oleaut/variant_types.h"

namespace host {

size_t ValueSize(VARTYPE baseType) {
  switch (baseType) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE: return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_DECIMAL: return 16;
    default: return 0;
  }
}

bool IsValidVariantType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  VARTYPE base = vt & VT_TYPEMASK;
  bool modified = (vt & (VT_BYREF | VT_ARRAY)) != 0;
  if (base == VT_EMPTY || base == VT_NULL) return !modified;
  if (base == VT_VARIANT) return modified;
  return ValueSize(base) != 0;
}

}  // namespace host

namespace {

// Copies the value of a VARIANT that is neither VT_BYREF nor empty into
// `dest`, taking its own reference to strings, interfaces and arrays.
HRESULT CopyOwnedValue(VARIANT* dest, const VARIANT* source) {
  VARTYPE vt = source->vt;
  if (vt & VT_ARRAY) {
    dest->parray = nullptr;
    if (!source->parray) return S_OK;
    return SafeArrayCopy(source->parray, &dest->parray);
  }
  switch (vt) {
    case VT_BSTR:
      dest->bstrVal = nullptr;
      if (source->bstrVal) {
        dest->bstrVal =
            SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal), SysStringByteLen(source->bstrVal));
        if (!dest->bstrVal) return E_OUTOFMEMORY;
      }
      return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      dest->punkVal = source->punkVal;
      if (dest->punkVal) dest->punkVal->AddRef();
      return S_OK;
    default: std::memcpy(&dest->llVal, &source->llVal, sizeof(VARIANT) - offsetof(VARIANT, llVal)); return S_OK;
  }
}

}  // namespace

void VariantInit(VARIANTARG* v) {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (!v) return E_INVALIDARG;
  if (!host::IsValidVariantType(v->vt)) return DISP_E_BADVARTYPE;
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      if (v->parray) {
        HRESULT hr = SafeArrayDestroy(v->parray);
        if (FAILED(hr)) return hr;
      }
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal) {
      v->punkVal->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source) {
  if (DWORD e = HOST_FAULT("VariantCopy")) return host::FaultHResult(e);
  if (!dest || !source) return E_INVALIDARG;
  if (dest == source) return S_OK;
  if (!host::IsValidVariantType(source->vt)) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) return hr;
  if (source->vt & VT_BYREF) {
    *dest = *source;  // a reference is copied as a reference
    return S_OK;
  }
  VARIANT copy;
  VariantInit(&copy);
  copy.vt = source->vt;
  hr = CopyOwnedValue(&copy, source);
  if (FAILED(hr)) return hr;
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* source) {
  if (DWORD e = HOST_FAULT("VariantCopyInd")) return host::FaultHResult(e);
  if (!dest || !source) return E_INVALIDARG;
  if (!(source->vt & VT_BYREF)) return VariantCopy(dest, source);
  if (!host::IsValidVariantType(source->vt) || !source->byref) return E_INVALIDARG;
  VARIANT view;
  VariantInit(&view);
  VARTYPE base = source->vt & ~VT_BYREF;
  if (base == VT_VARIANT) {
    if (source->pvarVal->vt & VT_BYREF) return E_INVALIDARG;
    view = *source->pvarVal;
  } else {
    view.vt = base;
    size_t size = (base & VT_ARRAY) ? sizeof(SAFEARRAY*) : host::ValueSize(base);
    std::memcpy(&view.llVal, source->byref, size);
  }
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, &view);
  if (FAILED(hr)) return hr;
  if (dest == source) {
    *dest = copy;  // dest held a reference only: nothing to release
    return S_OK;
  }
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}
