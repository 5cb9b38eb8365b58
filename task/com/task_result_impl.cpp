#include "task/com/task_result_impl.h"

#include <utility>
#include <vector>

#include "base/com/method_boundary.h"
#include "task/com/log_info.h"
#include "task/com/out_value.h"
#include "task/com/task_computer_info.h"

namespace cmr {

template <class I>
HRESULT CTaskResultCommon<I>::Init(BSTR bstrXmlResult) {
  return com::Guarded([&] {
    // A document read again replaces the one before whole: an element it
    // lacks must not keep the earlier document's value.
    cmr::CTaskEventLog loaded;
    loaded.LoadFromString(std::u16string(com::BstrText(bstrXmlResult)));
    config_ = std::move(loaded);
    return S_OK;
  });
}

template <class I>
HRESULT CTaskResultCommon<I>::get_ErrorCode(LONG* plErrorCode) {
  return ReturnValue(config_.ErrorStatus, plErrorCode);
}

template <class I>
HRESULT CTaskResultCommon<I>::get_ErrorText(BSTR* pbstrErrorText) {
  return com::ReturnBstr(config_.ErrorText, pbstrErrorText);
}

template <class I>
HRESULT CTaskResultCommon<I>::get_Warning(BSTR* pbstrWarning) {
  return com::ReturnBstr(config_.Warning, pbstrWarning);
}

template class CTaskResultCommon<ITaskResult>;
template class CTaskResultCommon<ITaskResult2>;

HRESULT CTaskResultImpl::get_LastEventFound(VARIANT_BOOL* pbLastEventFound) {
  return ReturnValue(config_.LastEventFound ? VARIANT_TRUE : VARIANT_FALSE, pbLastEventFound);
}

HRESULT CTaskResultImpl::get_EventFileName(BSTR* pbstrEventFileName) {
  return com::ReturnBstr(config_.EventFileName, pbstrEventFileName);
}

HRESULT CTaskResultImpl::get_EventLog(BSTR* EventLog) { return com::ReturnBstr(config_.LogName, EventLog); }

HRESULT CTaskResultImpl::get_ComputerInfo(ITaskComputerInfo** pVal) {
  if (!config_.ComputerInfo) return S_FALSE;
  if (pVal == nullptr) return E_POINTER;
  return com::Guarded([&] { return com::CreateObject<CTaskComputerInfo>(pVal, *config_.ComputerInfo); });
}

namespace {

// Fills the array's elements with one ILogInfo per entry; an element whose
// object cannot be made stays null.
void FillLogInfoArray(SAFEARRAY* array, const std::vector<cmr::LogInfoEntry>& entries) {
  IDispatch** elements = nullptr;
  if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&elements)))) return;
  for (size_t i = 0; i < entries.size(); ++i) {
    ILogInfo* info = nullptr;
    if (SUCCEEDED(com::CreateObject<CLogInfo>(&info, entries[i]))) elements[i] = info;
  }
  SafeArrayUnaccessData(array);
}

}  // namespace

HRESULT CTaskResult2Impl::get_LogInfoList(VARIANT* LogInfoList) {
  if (LogInfoList == nullptr) return E_POINTER;
  VariantInit(LogInfoList);
  return com::Guarded([&] {
    std::vector<cmr::LogInfoEntry> entries = config_.LogInfoList;
    SAFEARRAYBOUND bound{static_cast<ULONG>(entries.size()), 0};
    SAFEARRAY* array = SafeArrayCreate(VT_DISPATCH, 1, &bound);
    if (array == nullptr) return E_OUTOFMEMORY;
    FillLogInfoArray(array, entries);
    LogInfoList->vt = VT_ARRAY | VT_DISPATCH;
    LogInfoList->parray = array;
    return S_OK;
  });
}

}  // namespace cmr
