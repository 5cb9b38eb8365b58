// The audit policy part of a collection's warning.
#pragma once

#include <string>

#include "task/task_event_log.h"

namespace cmr {

// The sentence that follows the list of requirements that are not met.
inline constexpr char16_t kAuditNotEnabledText[] =
    u" is not enabled for this server. Adjust the audit policy settings (see product documentation for more "
    u"information). ";

// Checks the configuration's audit policy requirements on the computer and
// appends to `warning` the ones that are not met, or why the policy could
// not be read. Without requirements the policy is not read at all; when the
// log is read from a file (LoadFromEvtFile) a policy that cannot be read
// adds nothing, since the file need not come from that computer.
void AppendAuditWarning(const std::u16string& computer, const CTaskEventLog& config, std::u16string& warning);

}  // namespace cmr
