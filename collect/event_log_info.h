// The classic event logs of a computer as its registry lists them
// (SYSTEM\CurrentControlSet\Services\EventLog).
#pragma once

#include <string>
#include <vector>

#include "platform/api/types.h"
#include "task/log_info_entry.h"

namespace cmr {

// Whether the name is the local computer: a null name is; otherwise a leading
// pair of backslashes is skipped (names longer than two characters) and the
// rest is compared, ignoring case, with GetComputerNameW.
bool IsLocalComputer(const char16_t* name);

// Appends one entry per classic log of the computer (API 1, APIUsed 1,
// Enabled 1). False, with the thread's last error, when the list cannot be read.
bool GetEventLogInfo(bool local, const std::u16string& computer, LANGID language, std::vector<LogInfoEntry>& out);

}  // namespace cmr
