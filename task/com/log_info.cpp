#include "task/com/log_info.h"

#include "task/com/out_value.h"

namespace cmr {

namespace {

// A copy of the text; S_OK with a null BSTR when it cannot be allocated.
HRESULT ReturnText(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

}  // namespace

HRESULT CLogInfo::get_Name(BSTR* pVal) { return ReturnText(entry_.Name, pVal); }

HRESULT CLogInfo::get_API(LONG* pVal) { return ReturnValue(entry_.API, pVal); }

// The low 16 bits of the flag: an enabled log answers 1, not VARIANT_TRUE.
HRESULT CLogInfo::get_Enabled(VARIANT_BOOL* pVal) { return ReturnValue(entry_.Enabled & 0xFFFF, pVal); }

HRESULT CLogInfo::get_NumOfRecords(ULONGLONG* pVal) { return ReturnValue(entry_.NumOfRecords, pVal); }

HRESULT CLogInfo::get_DisplayName(BSTR* pVal) { return ReturnText(entry_.DisplayName, pVal); }

HRESULT CLogInfo::get_APIUsed(LONG* pVal) { return ReturnValue(entry_.APIUsed, pVal); }

}  // namespace cmr
