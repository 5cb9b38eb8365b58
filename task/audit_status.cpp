// The audit policy check itself (reading the computer's policy and naming
// the categories it lacks) is the next piece of the task to be built; until
// it is, the policy counts as unreadable, and a collection whose
// configuration names audit categories says so in its warning.
#include "task/audit_status.h"

#include "base/trace.h"

namespace cmr {

void AppendAuditWarning(const std::u16string&, const CTaskEventLog& config, std::u16string& warning) {
  Trace(30, u"Checking audit status...");
  const std::u16string errorText = u"the audit policy check is not built yet";
  if (config.LoadFromEvtFile.empty()) warning += u"Failed to obtain system audit status. Error: " + errorText;
  Trace(30, u"Checking system version...");
}

}  // namespace cmr
