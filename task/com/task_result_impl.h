// The result objects of a run: the caller hands them the text of the task
// configuration file after ITask::Run and reads the results. TaskResult
// exposes a collection's results, TaskResult2 the log list of a "*" run.
#pragma once

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "task/task_event_log.h"

namespace cmr {

// What both result interfaces share: Init, ErrorCode, ErrorText, Warning.
template <class I>
class CTaskResultCommon : public com::Object<I, com::ErrorInfoSupport<I>> {
 public:
  HRESULT STDMETHODCALLTYPE Init(BSTR bstrXmlResult) override;
  HRESULT STDMETHODCALLTYPE get_ErrorCode(LONG* plErrorCode) override;
  HRESULT STDMETHODCALLTYPE get_ErrorText(BSTR* pbstrErrorText) override;
  HRESULT STDMETHODCALLTYPE get_Warning(BSTR* pbstrWarning) override;

 protected:
  cmr::CTaskEventLog config_;
};

class CTaskResultImpl : public CTaskResultCommon<ITaskResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_LastEventFound(VARIANT_BOOL* pbLastEventFound) override;
  HRESULT STDMETHODCALLTYPE get_EventFileName(BSTR* pbstrEventFileName) override;
  HRESULT STDMETHODCALLTYPE get_EventLog(BSTR* EventLog) override;
  // S_FALSE, *pVal untouched, when the document had no ComputerInfo element.
  HRESULT STDMETHODCALLTYPE get_ComputerInfo(ITaskComputerInfo** pVal) override;
};

class CTaskResult2Impl : public CTaskResultCommon<ITaskResult2> {
 public:
  // A VT_ARRAY | VT_DISPATCH array of ILogInfo, one per listed log (empty
  // when there is none).
  HRESULT STDMETHODCALLTYPE get_LogInfoList(VARIANT* LogInfoList) override;
};

}  // namespace cmr
