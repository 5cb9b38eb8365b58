// A failing call checked in one line: what it returned and the error it left.
#pragma once

#include <gtest/gtest.h>

#include "platform/api/kernel.h"

#define EXPECT_LAST_ERROR(call, result, error)                  \
  do {                                                          \
    const auto ecCallResult = (call);                           \
    const DWORD ecCallError = GetLastError();                   \
    EXPECT_EQ(ecCallResult, result) << #call;                   \
    EXPECT_EQ(ecCallError, static_cast<DWORD>(error)) << #call; \
  } while (0)
