// The TaskConfig class: builds a task configuration document for a caller
// (ITaskConfig), one setter per input, and Commit to get the document.
#pragma once

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "task/task_event_log.h"

namespace cmr {

class CTaskConfigImpl : public com::Object<ITaskConfig, com::ErrorInfoSupport<ITaskConfig>> {
 public:
  CTaskConfigImpl() = default;

  HRESULT STDMETHODCALLTYPE Commit(BSTR* pbstrXmlConfig) override;
  HRESULT STDMETHODCALLTYPE SetSavePath(BSTR bstrSavePath) override;
  HRESULT STDMETHODCALLTYPE SetEventLog(BSTR bstrEventLog) override;
  HRESULT STDMETHODCALLTYPE SetLoadFromEvtFile(BSTR bstrEvtFile) override;
  HRESULT STDMETHODCALLTYPE SetLastPosition(ULONG dwLastRN, ULONG dwLastTW) override;
  HRESULT STDMETHODCALLTYPE SetFilter(BSTR bstrXmlFilter) override;
  HRESULT STDMETHODCALLTYPE AddPolicyAuditEventType(INT iPolicyAuditEventType) override;
  HRESULT STDMETHODCALLTYPE put_SeekLastFirstRun(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE AddPolicyAuditEventTypeEx(INT iPolicyAuditEvent, INT iPolicyAuditEventType) override;
  HRESULT STDMETHODCALLTYPE UseCompactLogName(BSTR compactName) override;
  HRESULT STDMETHODCALLTYPE CollectEventResources(VARIANT_BOOL enable) override;
  HRESULT STDMETHODCALLTYPE ResolveComputerName(VARIANT_BOOL enable) override;
  HRESULT STDMETHODCALLTYPE put_PreferredAPI(LONG choice) override;
  HRESULT STDMETHODCALLTYPE put_ResolveSIDs(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE put_ResolveMACs(VARIANT_BOOL value) override;

  const cmr::CTaskEventLog& Config() const { return config_; }

 private:
  cmr::CTaskEventLog config_;
};

}  // namespace cmr
