// Where FormatMessageW finds the texts of FORMAT_MESSAGE_FROM_HMODULE: the
// message-table reader registers its lookup here. Until then a module lookup
// fails with ERROR_RESOURCE_TYPE_NOT_FOUND.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

// Stores the raw text of message `messageId` of `module` (as the message
// table keeps it, inserts and line ends unexpanded) in `text` and returns 0,
// or returns the Win32 error of the lookup (1813, 1814, 1815, 317, ...).
using ModuleMessageLookup = DWORD (*)(HMODULE module, DWORD messageId, DWORD languageId, std::u16string* text);

void SetModuleMessageLookup(ModuleMessageLookup lookup);
ModuleMessageLookup GetModuleMessageLookup();

}  // namespace host
