// The classic event logs of a computer: their names, and whether one exists.
#pragma once

#include <string>
#include <vector>

#include "platform/api/types.h"

namespace cmr {

// The names of the computer's logs (subkeys of the EventLog key). False,
// traced, with the last error set, when the key cannot be opened.
bool ListEventLogs(const char16_t* computer, std::vector<std::u16string>& names);

// Whether the log has its registry key. False, with the last error set, when
// the registry cannot tell (any error but "not found").
bool EventLogExists(const char16_t* computer, const std::u16string& logName, bool& exists);

}  // namespace cmr
