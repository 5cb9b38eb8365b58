// The registry side of classic event logs: whether a computer name is the
// local computer, and the log's key under
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog of that computer.
#pragma once

#include <string>

#include "platform/api/registry.h"
#include "platform/api/types.h"

namespace cmr {

inline constexpr char16_t kEventLogRegistryPath[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// True for a null name; otherwise a leading pair of backslashes is skipped
// (when the name is longer than two characters) and the rest is compared,
// ignoring case, with the local computer's name.
bool IsLocalComputer(const char16_t* name);

// Opens the log's key (KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS) on the
// computer, through RegConnectRegistryW when it is not the local one. An
// empty log name opens the key of all logs. Returns the Win32 code.
LONG OpenEventLogKey(const char16_t* computer, const std::u16string& logName, HKEY* key);

// Opens a key of the computer's HKEY_LOCAL_MACHINE, through
// RegConnectRegistryW when it is not the local one. Returns the Win32 code.
LONG OpenComputerKey(const char16_t* computer, const std::u16string& path, REGSAM access, HKEY* key);

}  // namespace cmr
