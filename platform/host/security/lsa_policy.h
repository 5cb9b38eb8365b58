// Open LSA policy handles (LsaOpenPolicy) and the checks that every call on
// one makes.
#pragma once

#include <string>

#include "platform/api/security.h"
#include "platform/host/host.h"

namespace host {

struct LsaPolicy {
  std::u16string computer;
  ACCESS_MASK access = 0;
};

// Under the host lock. Returns STATUS_SUCCESS and the policy's computer, or
// STATUS_INVALID_HANDLE for a handle that is not open, STATUS_ACCESS_DENIED
// when the handle was opened without `needed`, STATUS_RPC_SERVER_UNAVAILABLE
// when the computer can no longer be reached.
NTSTATUS UsePolicy(LSA_HANDLE handle, ACCESS_MASK needed, Computer** computer);

// Open policy handles of the process (tests check that every one is closed).
size_t OpenPolicyCount();

}  // namespace host
