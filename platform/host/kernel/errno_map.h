// Linux errno values as Win32 errors, and Win32 errors as the errno values
// that the Microsoft CRT sets for them.
#pragma once

#include "platform/api/types.h"

namespace host {

DWORD Win32FromErrno(int error);
int ErrnoFromWin32(DWORD error);

}  // namespace host
