// Storing a property's value through the caller's out pointer.
#pragma once

#include "platform/api/types.h"

namespace cmr {

// *out = value; E_POINTER without out.
template <class T, class V>
HRESULT ReturnValue(V value, T* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<T>(value);
  return S_OK;
}

}  // namespace cmr
