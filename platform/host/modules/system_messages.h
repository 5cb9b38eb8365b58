// The English texts of the system message table (what FormatMessageW gives
// with FORMAT_MESSAGE_FROM_SYSTEM), without the closing CR LF.
#pragma once

#include "platform/api/types.h"

namespace host {

// Null when the system has no message for the code.
const char16_t* SystemMessageText(DWORD code);

}  // namespace host
