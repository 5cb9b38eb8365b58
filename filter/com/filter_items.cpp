#include "filter/com/filter_items.h"

#include "base/com/method_boundary.h"

namespace cmr {

HRESULT CEventLogImpl::get_Name(BSTR* value) {
  if (!log_) return E_UNEXPECTED;
  return com::ReturnBstr(log_->Name, value);
}

HRESULT CEventLogImpl::put_Name(BSTR value) {
  if (!log_) return E_UNEXPECTED;
  return com::Guarded([&] {
    log_->Name = com::BstrText(value);
    return S_OK;
  });
}

HRESULT CFilterISImpl::get_Index(ULONG* value) {
  if (!attached_) return E_UNEXPECTED;
  if (value == nullptr) return E_POINTER;
  *value = index_;
  return S_OK;
}

HRESULT CFilterISImpl::get_String(BSTR* value) {
  if (!attached_) return E_UNEXPECTED;
  return com::ReturnBstr(text_, value);
}

}  // namespace cmr
