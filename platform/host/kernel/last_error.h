// The usual failure of a stand-in: the thread's last error set, FALSE
// returned (`return host::Fail(ERROR_INVALID_PARAMETER);`).
#pragma once

#include "platform/api/kernel.h"

namespace host {

inline BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace host
