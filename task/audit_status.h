// The collection's audit warning: the audit policy categories that the
// configuration names and the computer does not audit.
#pragma once

#include <string>

#include "task/task_event_log.h"

namespace cmr {

// Checks the computer's audit policy against the configuration's pairs and
// appends what is not met, or that the policy could not be read (not when a
// file given by LoadFromEvtFile is read), to the warning.
void AppendAuditWarning(const std::u16string& computer, const CTaskEventLog& config, std::u16string& warning);

}  // namespace cmr
