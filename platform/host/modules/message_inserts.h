// Expansion of a message text as FormatMessageW does it: inserts (%1 to
// %99, with an optional !printf-format!) and the escapes %0 %n %r %t %b
// %% %. %! and "% ".
#pragma once

#include <cstdarg>
#include <string>

#include "platform/api/types.h"

namespace host {

struct InsertArguments {
  bool ignore = true;                // FORMAT_MESSAGE_IGNORE_INSERTS: inserts stay as written
  const DWORD_PTR* array = nullptr;  // FORMAT_MESSAGE_ARGUMENT_ARRAY
  va_list* list = nullptr;           // otherwise
};

// Returns 0 and the expanded text, or ERROR_INVALID_PARAMETER when an insert
// has no argument.
DWORD ExpandMessage(std::u16string_view text, const InsertArguments& args, std::u16string* out);

}  // namespace host
