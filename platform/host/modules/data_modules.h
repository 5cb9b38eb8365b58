// Modules loaded as data files (LoadLibraryExW with LOAD_LIBRARY_AS_DATAFILE):
// a real PE file read from the host's file system, whose message tables
// FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE) reads.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

// The raw text of a message as FormatMessageW's module lookup wants it
// (message_modules.h), with the language search of FormatMessageW: a given
// language exactly (ERROR_RESOURCE_LANG_NOT_FOUND when the module has no
// message table in it); language 0 tries neutral, the thread's language, the
// user's default, the system's default, English (United States), then any
// language present. ERROR_MR_MID_NOT_FOUND when the chosen table lacks the id.
DWORD FindModuleMessage(HMODULE module, DWORD messageId, DWORD languageId, std::u16string* text);

class PeImage;
// Reads and parses a PE file by its Linux path: 0, the Win32 error of
// reading it, or ERROR_BAD_EXE_FORMAT.
DWORD ReadPeFile(const std::string& linuxPath, PeImage* image);

}  // namespace host
