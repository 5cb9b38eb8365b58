// Making sure that the folder for a collection's files exists.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace cmr {

// Creates the folder and its missing parents. 0 when it exists afterwards,
// else the Win32 code: 80 when something that is not a folder has its name,
// 160 when a missing path has no backslash left to climb.
DWORD EnsureFolderExists(const std::u16string& path);

}  // namespace cmr
