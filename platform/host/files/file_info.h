// Helpers shared by the file calls: Linux file facts in Windows terms.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/api/types.h"

namespace host {

FILETIME FileTimeOf(const struct timespec& t);
DWORD AttributesOf(const struct stat& st);

// The error Windows gives for a path that does not exist: 2 when its folder
// exists, 3 when the folder is missing too.
DWORD MissingPathError(const std::string& linuxPath);

// Maps a path argument (null is an invalid name); on failure sets the last
// error and returns false.
bool MapPathArgument(const WCHAR* path, std::string* linuxPath);

}  // namespace host
