// SAFEARRAY: a descriptor preceded by 16 bytes that hold the element
// VARTYPE (FADF_HAVEVARTYPE, in the last 4 bytes) or the interface IID
// (FADF_HAVEIID), as on Windows. Arrays of BSTR, VARIANT and interface
// pointers own their elements: putting copies or AddRefs, destroying frees
// or Releases.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"
#include "platform/host/oleaut/variant_types.h"

namespace {

constexpr size_t kPrefix = 16;

size_t DescriptorSize(UINT dims) { return sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND); }

char* BlockOf(SAFEARRAY* array) { return reinterpret_cast<char*>(array) - kPrefix; }

USHORT FeaturesFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR: return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_VARIANT: return FADF_VARIANT | FADF_HAVEVARTYPE;
    case VT_UNKNOWN: return FADF_UNKNOWN | FADF_HAVEIID;
    case VT_DISPATCH: return FADF_DISPATCH | FADF_HAVEIID;
    default: return FADF_HAVEVARTYPE;
  }
}

// Number of elements, or false when the product overflows.
bool ElementCount(const SAFEARRAY* array, size_t& count) {
  count = 1;
  for (USHORT i = 0; i < array->cDims; ++i) {
    size_t n = array->rgsabound[i].cElements;
    if (n && count > std::numeric_limits<size_t>::max() / n) return false;
    count *= n;
  }
  return true;
}

// Releases or frees the elements that the array owns and zeroes them.
void ReleaseElements(SAFEARRAY* array) {
  size_t count = 0;
  if (!array->pvData || !ElementCount(array, count)) return;
  if (array->fFeatures & FADF_BSTR) {
    auto* items = static_cast<BSTR*>(array->pvData);
    for (size_t i = 0; i < count; ++i) SysFreeString(items[i]);
  } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* items = static_cast<IUnknown**>(array->pvData);
    for (size_t i = 0; i < count; ++i)
      if (items[i]) items[i]->Release();
  } else if (array->fFeatures & FADF_VARIANT) {
    auto* items = static_cast<VARIANT*>(array->pvData);
    for (size_t i = 0; i < count; ++i) VariantClear(&items[i]);
  }
  std::memset(array->pvData, 0, count * array->cbElements);
}

// Address of the element at `indices` (rightmost dimension first), or null
// when an index is out of bounds.
void* ElementAt(SAFEARRAY* array, const LONG* indices) {
  size_t offset = 0;
  size_t stride = 1;
  for (USHORT i = 0; i < array->cDims; ++i) {
    const SAFEARRAYBOUND& b = array->rgsabound[i];
    int64_t at = static_cast<int64_t>(indices[i]) - b.lLbound;
    if (at < 0 || at >= static_cast<int64_t>(b.cElements)) return nullptr;
    offset += static_cast<size_t>(at) * stride;
    stride *= b.cElements;
  }
  return static_cast<char*>(array->pvData) + offset * array->cbElements;
}

// Copies one element value from `from` (as stored in an array) to `to`,
// taking ownership as the array's features require. `to` holds no value.
HRESULT CopyElement(const SAFEARRAY* array, void* to, const void* from) {
  if (array->fFeatures & FADF_BSTR) {
    BSTR s = *static_cast<const BSTR*>(from);
    BSTR copy = nullptr;
    if (s && !(copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s)))) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(to) = copy;
  } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* p = *static_cast<IUnknown* const*>(from);
    if (p) p->AddRef();
    *static_cast<IUnknown**>(to) = p;
  } else if (array->fFeatures & FADF_VARIANT) {
    auto* v = static_cast<VARIANT*>(to);
    VariantInit(v);
    return VariantCopy(v, static_cast<const VARIANT*>(from));
  } else {
    std::memcpy(to, from, array->cbElements);
  }
  return S_OK;
}

// Frees what an element slot owns.
void ClearElement(const SAFEARRAY* array, void* slot) {
  if (array->fFeatures & FADF_BSTR) {
    SysFreeString(*static_cast<BSTR*>(slot));
  } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    if (auto* p = *static_cast<IUnknown**>(slot)) p->Release();
  } else if (array->fFeatures & FADF_VARIANT) {
    VariantClear(static_cast<VARIANT*>(slot));
  }
}

SAFEARRAY* AllocateDescriptor(VARTYPE vt, UINT dims, USHORT features, ULONG elementSize) {
  auto* block = static_cast<char*>(std::calloc(1, kPrefix + DescriptorSize(dims)));
  if (!block) return nullptr;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
  array->cDims = static_cast<USHORT>(dims);
  array->fFeatures = features;
  array->cbElements = elementSize;
  if (features & FADF_HAVEIID) {
    const IID& iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
    std::memcpy(block, &iid, sizeof(IID));
  } else {
    DWORD type = vt;
    std::memcpy(block + kPrefix - sizeof(DWORD), &type, sizeof(DWORD));
  }
  return array;
}

bool AllocateData(SAFEARRAY* array) {
  size_t count = 0;
  if (!ElementCount(array, count) || count > std::numeric_limits<size_t>::max() / array->cbElements) return false;
  array->pvData = std::calloc(count ? count : 1, array->cbElements);
  return array->pvData != nullptr;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) {
  if (dims == 0 || dims > 0xFFFF || !bounds || HOST_FAULT("SafeArrayCreate")) return nullptr;
  size_t size = host::ValueSize(vt);
  if (size == 0) return nullptr;
  SAFEARRAY* array = AllocateDescriptor(vt, dims, FeaturesFor(vt), static_cast<ULONG>(size));
  if (!array) return nullptr;
  for (UINT i = 0; i < dims; ++i) array->rgsabound[dims - 1 - i] = bounds[i];
  if (!AllocateData(array)) {
    std::free(BlockOf(array));
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  // Counted and failed as SafeArrayCreate, which it calls.
  SAFEARRAYBOUND bound = {elements, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(array);
  std::free(array->pvData);
  std::free(BlockOf(array));
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (DWORD e = HOST_FAULT("SafeArrayGetVartype")) return host::FaultHResult(e);
  if (!array || !vt) return E_INVALIDARG;
  if (array->fFeatures & FADF_HAVEVARTYPE) {
    DWORD type;
    std::memcpy(&type, BlockOf(array) + kPrefix - sizeof(DWORD), sizeof(DWORD));
    *vt = static_cast<VARTYPE>(type);
  } else if (array->fFeatures & FADF_DISPATCH) {
    *vt = VT_DISPATCH;
  } else if (array->fFeatures & FADF_UNKNOWN) {
    *vt = VT_UNKNOWN;
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** dest) {
  if (DWORD e = HOST_FAULT("SafeArrayCopy")) return host::FaultHResult(e);
  if (!source || !dest) return E_INVALIDARG;
  *dest = nullptr;
  VARTYPE vt;
  HRESULT hr = SafeArrayGetVartype(source, &vt);
  if (FAILED(hr)) return hr;
  SAFEARRAY* copy = AllocateDescriptor(vt, source->cDims,
                                       source->fFeatures & ~(FADF_AUTO | FADF_STATIC | FADF_EMBEDDED | FADF_FIXEDSIZE),
                                       source->cbElements);
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy->rgsabound, source->rgsabound, source->cDims * sizeof(SAFEARRAYBOUND));
  if (!AllocateData(copy)) {
    std::free(BlockOf(copy));
    return E_OUTOFMEMORY;
  }
  size_t count = 0;
  ElementCount(source, count);
  for (size_t i = 0; i < count; ++i) {
    size_t at = i * source->cbElements;
    hr = CopyElement(source, static_cast<char*>(copy->pvData) + at, static_cast<char*>(source->pvData) + at);
    if (FAILED(hr)) {
      SafeArrayDestroy(copy);
      return hr;
    }
  }
  *dest = copy;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array ? array->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array ? array->cbElements : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound) {
  if (DWORD e = HOST_FAULT("SafeArrayGetLBound")) return host::FaultHResult(e);
  if (!array || !lowerBound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  *lowerBound = array->rgsabound[array->cDims - dim].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound) {
  if (DWORD e = HOST_FAULT("SafeArrayGetUBound")) return host::FaultHResult(e);
  if (!array || !upperBound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = array->rgsabound[array->cDims - dim];
  *upperBound = static_cast<LONG>(static_cast<int64_t>(b.lLbound) + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (DWORD e = HOST_FAULT("SafeArrayLock")) return host::FaultHResult(e);
  if (!array) return E_INVALIDARG;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (DWORD e = HOST_FAULT("SafeArrayAccessData")) return host::FaultHResult(e);
  if (!array || !data) return E_INVALIDARG;
  SafeArrayLock(array);
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (DWORD e = HOST_FAULT("SafeArrayGetElement")) return host::FaultHResult(e);
  if (!array || !indices || !value) return E_INVALIDARG;
  void* slot = ElementAt(array, indices);
  if (!slot) return DISP_E_BADINDEX;
  return CopyElement(array, value, slot);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (DWORD e = HOST_FAULT("SafeArrayPutElement")) return host::FaultHResult(e);
  if (!array || !indices) return E_INVALIDARG;
  void* slot = ElementAt(array, indices);
  if (!slot) return DISP_E_BADINDEX;
  // Strings and interface pointers are passed as themselves, other types by
  // address of the value.
  bool byItself = (array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0;
  if (!byItself && !value) return E_INVALIDARG;
  alignas(VARIANT) unsigned char fresh[sizeof(VARIANT)];
  HRESULT hr = CopyElement(array, fresh, byItself ? static_cast<const void*>(&value) : value);
  if (FAILED(hr)) return hr;
  ClearElement(array, slot);
  std::memcpy(slot, fresh, array->cbElements);
  return S_OK;
}
