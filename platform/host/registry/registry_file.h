// Import and export of registry text files (.reg) for a simulated computer.
// Paths are Linux paths: these are host functions for tests and tools.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/types.h"

namespace host {

class Computer;

// Applies a .reg file to the computer's registry. Returns 0; the error of
// reading the file (2, 5, ...); or ERROR_INVALID_DATA with `message` telling
// the line, and then nothing is applied.
DWORD ImportRegFile(Computer& computer, const std::string& path, std::string* message = nullptr);

// Writes the key at `rootKeyPath` ("HKEY_LOCAL_MACHINE\SOFTWARE\Vendor") and
// everything below it, as regedit exports. 2 when the key does not exist.
DWORD ExportRegFile(Computer& computer, std::u16string_view rootKeyPath, const std::string& path);

}  // namespace host
