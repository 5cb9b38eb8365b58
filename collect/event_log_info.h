// The information entries of a computer's classic event logs, as a log
// listing reports them.
#pragma once

#include <string>
#include <vector>

#include "base/log_info_entry.h"
#include "collect/event_log_key.h"
#include "platform/api/types.h"

namespace cmr {

// Appends an entry for every listed log that opens and tells its record
// count (API 1, APIUsed 1, Enabled 1, the display name when it can be read).
// False, with the thread's last error, only when the logs cannot be listed.
bool GetEventLogInfo(bool isLocal, const std::u16string& computer, LANGID language, std::vector<LogInfoEntry>& entries);

}  // namespace cmr
