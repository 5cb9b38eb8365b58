// The error a call left: ERROR_SUCCESS when its result says it worked, else
// GetLastError(), so that a failure and its code are one comparison.
#pragma once

#include "platform/api/errors.h"
#include "platform/api/kernel.h"

namespace testsupport {

template <typename Result>
DWORD ErrorOf(const Result& result) {
  return result ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
}

}  // namespace testsupport
