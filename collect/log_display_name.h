// A classic log's display name from its message file, and local paths of a
// computer as paths that reach them from here.
#pragma once

#include <string>

#include "platform/api/registry.h"
#include "platform/api/types.h"

namespace cmr {

// Reads "DisplayNameFile" and "DisplayNameID" of the open log key and
// formats that message of the file (mapped to the computer) in the language;
// the text has every "\r\n" removed. Returns 0 or the Win32 code.
DWORD GetLogDisplayName(bool isLocal, const char16_t* computer, HKEY logKey, LANGID language,
                        std::u16string& displayName);

// Local computer: the path with its environment variables expanded. Remote:
// "%SystemRoot%" becomes the ADMIN$ share, other variables take their local
// values, every ":" becomes "$", and "\\<computer>\" goes in front, so
// "C:\x" of computer S is "\\S\C$\x". Returns 0 or the Win32 code.
DWORD MapPathToComputer(bool isLocal, const char16_t* computer, const std::u16string& path, std::u16string& mapped);

}  // namespace cmr
