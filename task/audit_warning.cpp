#include "task/audit_warning.h"

#include "base/trace.h"
#include "task/audit_status.h"

namespace cmr {

void AppendAuditWarning(const std::u16string& computer, const CTaskEventLog& config, std::u16string& warning) {
  if (config.PolicyAuditEventTypes.empty()) return;
  Trace(30, u"Checking audit status...");
  std::vector<AuditPair> notMet;
  std::u16string errorText;
  HRESULT hr = GetAuditStatus(computer, config.PolicyAuditEventTypes, notMet, errorText);
  if (FAILED(hr) && config.LoadFromEvtFile.empty()) {
    warning += u"Failed to obtain system audit status. Error: " + errorText;
  } else if (!notMet.empty()) {
    warning += AuditListText(notMet) + kAuditNotEnabledText;
  }
  Trace(30, u"Checking system version...");
}

}  // namespace cmr
