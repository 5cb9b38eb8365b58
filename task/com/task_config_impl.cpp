#include "task/com/task_config_impl.h"

#include "base/com/method_boundary.h"
#include "base/exceptions.h"

namespace cmr {

namespace {

// Sets a text field; a copy that cannot be made is E_OUTOFMEMORY.
HRESULT SetText(std::u16string& field, BSTR value) {
  return com::Guarded([&] {
    field = com::BstrText(value);
    return S_OK;
  });
}

HRESULT SetFlag(bool& field, VARIANT_BOOL value) {
  field = value != 0;
  return S_OK;
}

}  // namespace

HRESULT CTaskConfigImpl::Commit(BSTR* pbstrXmlConfig) {
  if (pbstrXmlConfig == nullptr) return E_INVALIDARG;
  return com::Guarded([&] { return com::ReturnBstr(config_.SaveToString(), pbstrXmlConfig); });
}

HRESULT CTaskConfigImpl::SetSavePath(BSTR bstrSavePath) { return SetText(config_.SavePath, bstrSavePath); }

HRESULT CTaskConfigImpl::SetEventLog(BSTR bstrEventLog) { return SetText(config_.LogName, bstrEventLog); }

HRESULT CTaskConfigImpl::SetLoadFromEvtFile(BSTR bstrEvtFile) {
  return com::Guarded([&] {
    config_.LoadFromEvtFile = cmr::TrimBlanks(com::BstrText(bstrEvtFile));
    return S_OK;
  });
}

HRESULT CTaskConfigImpl::SetLastPosition(ULONG dwLastRN, ULONG dwLastTW) {
  config_.LastRecordNumber = dwLastRN;
  config_.LastTimeWritten = dwLastTW;
  return S_OK;
}

HRESULT CTaskConfigImpl::SetFilter(BSTR bstrXmlFilter) { return SetText(config_.Filter, bstrXmlFilter); }

HRESULT CTaskConfigImpl::AddPolicyAuditEventType(INT iPolicyAuditEventType) {
  return AddPolicyAuditEventTypeEx(iPolicyAuditEventType, 1);
}

HRESULT CTaskConfigImpl::put_SeekLastFirstRun(VARIANT_BOOL value) { return SetFlag(config_.SeekLastFirstRun, value); }

HRESULT CTaskConfigImpl::AddPolicyAuditEventTypeEx(INT iPolicyAuditEvent, INT iPolicyAuditEventType) {
  return com::Guarded([&] {
    config_.PolicyAuditEventTypes.emplace_back(iPolicyAuditEvent, iPolicyAuditEventType);
    return S_OK;
  });
}

HRESULT CTaskConfigImpl::UseCompactLogName(BSTR compactName) { return SetText(config_.CompactLogName, compactName); }

HRESULT CTaskConfigImpl::CollectEventResources(VARIANT_BOOL enable) {
  return SetFlag(config_.CollectEventResources, enable);
}

HRESULT CTaskConfigImpl::ResolveComputerName(VARIANT_BOOL enable) {
  return SetFlag(config_.ResolveComputerName, enable);
}

// One choice sets both interfaces: 0 classic then Windows Event Log, 1 the
// other way round, 2 classic only, 3 Windows Event Log only.
HRESULT CTaskConfigImpl::put_PreferredAPI(LONG choice) {
  static const struct {
    int32_t preferred, fallback;
  } kChoices[] = {{cmr::kApiClassic, cmr::kApiVista},
                  {cmr::kApiVista, cmr::kApiClassic},
                  {cmr::kApiClassic, cmr::kApiNone},
                  {cmr::kApiVista, cmr::kApiNone}};
  if (choice < 0 || choice > 3) return E_INVALIDARG;
  config_.PreferredAPI = kChoices[choice].preferred;
  config_.FallbackAPI = kChoices[choice].fallback;
  return S_OK;
}

HRESULT CTaskConfigImpl::put_ResolveSIDs(VARIANT_BOOL value) { return SetFlag(config_.ResolveSIDs, value); }

HRESULT CTaskConfigImpl::put_ResolveMACs(VARIANT_BOOL value) { return SetFlag(config_.ResolveMACs, value); }

}  // namespace cmr
