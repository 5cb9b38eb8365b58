// The list of a computer's event logs for a "*" run: its Windows Event Log
// channels when that interface is present, else its classic logs.
#pragma once

#include <vector>

#include "base/log_info_entry.h"
#include "platform/api/types.h"

namespace cmr {

// Appends the computer's logs (null: the local computer). False, with the
// thread's last error, when neither interface could list them.
bool GetExistingEventLogs(const char16_t* computer, LANGID language, std::vector<LogInfoEntry>& logs);

}  // namespace cmr
