// Fault injection: any platform call can be told to fail with a chosen Win32
// error at its n-th call, so that every failure path can be exercised.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

// The call named `call` (its Windows name, e.g. "ReadEventLogW") fails with
// `error` on its `nth` call from now on (1 = the next call), and on the
// `count - 1` calls after that one.
void InjectFault(const std::string& call, unsigned nth, DWORD error, unsigned count = 1);

// Removes every injected fault and resets the call counters.
void ClearFaults();

// How many times `call` was made since the last ClearFaults().
unsigned CallCount(const std::string& call);

// Called by each stand-in at its entry: counts the call and returns the error
// to fail with, or 0 to go on.
DWORD FaultFor(const char* call);

}  // namespace host
