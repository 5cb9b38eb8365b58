// The error a failing call left, checked together with its result.
#pragma once

#include <gtest/gtest.h>

#include "platform/api/errors.h"
#include "platform/api/kernel.h"

namespace testsupport {

// ERROR_SUCCESS when the call's result says it worked, else GetLastError(),
// so that a failure and its code are one comparison.
template <typename Result>
DWORD ErrorOf(const Result& result) {
  return result ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
}

}  // namespace testsupport

// A failing call checked in one line: what it returned and the error it left.
#define EXPECT_LAST_ERROR(call, result, error)                  \
  do {                                                          \
    const auto ecCallResult = (call);                           \
    const DWORD ecCallError = GetLastError();                   \
    EXPECT_EQ(ecCallResult, result) << #call;                   \
    EXPECT_EQ(ecCallError, static_cast<DWORD>(error)) << #call; \
  } while (0)
