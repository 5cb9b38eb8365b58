#include "filter/com/filter_enums.h"

#include "base/com/enum_variant.h"
#include "base/com/method_boundary.h"
#include "base/trace.h"
#include "filter/com/filter_impl.h"
#include "filter/com/filter_items.h"

namespace cmr {

namespace {

// VARIANTs that are cleared when they go out of scope.
struct VariantArray {
  std::vector<VARIANT> items;
  ~VariantArray() {
    for (VARIANT& v : items) VariantClear(&v);
  }
  // Appends a new object of class T as VT_DISPATCH.
  template <class T, class... Args>
  HRESULT AddObject(Args&&... args) {
    IDispatch* object = nullptr;
    HRESULT hr = com::CreateObject<T>(IID_IDispatch, reinterpret_cast<void**>(&object), std::forward<Args>(args)...);
    if (FAILED(hr)) return hr;
    VARIANT& v = items.emplace_back();
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return S_OK;
  }
};

// Hands out the enumerator as IUnknown.
HRESULT CopyIntoEnumerator(const VariantArray& array, IUnknown** value) {
  IEnumVARIANT* enumerator = nullptr;
  HRESULT hr = com::EnumVariant::Copy(array.items.data(), array.items.size(), &enumerator);
  if (FAILED(hr)) return hr;
  *value = enumerator;
  return S_OK;
}

}  // namespace

HRESULT CFilterEnumImpl::get__NewEnum(IUnknown** value) {
  if (!attached_) return E_UNEXPECTED;
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  return com::Guarded([&] {
    Trace(30, u"CFilterEnumImpl::get__NewEnum (size=%d)", static_cast<int>(filters_.size()));
    VariantArray array;
    array.items.reserve(filters_.size());
    for (const CEventFilter::FilterPtr& filter : filters_)
      if (HRESULT hr = array.AddObject<CFilterImpl>(filter); FAILED(hr)) return hr;
    return CopyIntoEnumerator(array, value);
  });
}

HRESULT CFilterISEnumImpl::get__NewEnum(IUnknown** value) {
  if (!attached_) return E_UNEXPECTED;
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  return com::Guarded([&] {
    Trace(30, u"CFilterISEnumImpl::get__NewEnum (size=%d)", static_cast<int>(strings_.size()));
    VariantArray array;
    array.items.reserve(strings_.size());
    for (const auto& [index, text] : strings_)
      if (HRESULT hr = array.AddObject<CFilterISImpl>(index, text); FAILED(hr)) return hr;
    return CopyIntoEnumerator(array, value);
  });
}

CEventLogEnumImpl::~CEventLogEnumImpl() {
  for (VARIANT& v : items_) VariantClear(&v);
}

HRESULT CEventLogEnumImpl::Create(const CEventFilter::EventLogList& logs, IECEventLogEnum** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return com::Guarded([&] {
    com::Ptr<CEventLogEnumImpl> created = com::MakeObject<CEventLogEnumImpl>();
    VariantArray array;
    array.items.reserve(logs.size());
    for (const CEventFilter::EventLogPtr& log : logs)
      if (HRESULT hr = array.AddObject<CEventLogImpl>(log); FAILED(hr)) return hr;
    created->items_.swap(array.items);
    created->attached_ = true;
    return created->QueryInterface(__uuidof(IECEventLogEnum), reinterpret_cast<void**>(result));
  });
}

HRESULT CEventLogEnumImpl::get__NewEnum(IUnknown** value) {
  if (!attached_) return E_UNEXPECTED;
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  Trace(30, u"CEventLogEnumImpl::get__NewEnum (size=%d)", static_cast<int>(items_.size()));
  IEnumVARIANT* enumerator = nullptr;
  HRESULT hr = com::EnumVariant::Share(items_.data(), items_.size(), Unknown(), &enumerator);
  if (FAILED(hr)) return hr;
  *value = enumerator;
  return S_OK;
}

}  // namespace cmr
