// Fault injection: any platform call can be told to fail with a chosen Win32
// error at its n-th call, so that every failure path can be exercised; and
// the n-th platform call of any name can be made to fail, so that a sweep can
// walk through every call that a scenario makes.
//
// A stand-in checks in one line at its entry:
//   if (DWORD e = HOST_FAULT("ReadFile")) return Fail(e);
//   HOST_FAULT_RETURN("LoadLibraryW", nullptr);   // SetLastError(e); return nullptr;
// Each place finds its call's counter once; with nothing armed a check is two
// relaxed atomic increments and one atomic load.
#pragma once

#include <atomic>
#include <string>

#include "platform/api/types.h"

namespace host {

// The call named `call` (its Windows name, e.g. "ReadEventLogW") fails with
// `error` on its `nth` call from now on (1 = the next call), and on the
// `count - 1` calls after that one.
void InjectFault(const std::string& call, unsigned nth, DWORD error, unsigned count = 1);

// Removes every injected fault, stops recording call names and resets the
// call counters (the per-name ones and the count of all calls).
void ClearFaults();

// How many times `call` was made since the last ClearFaults().
unsigned CallCount(const std::string& call);

// Calls of any name, numbered from 1 since the last ClearFaults().
unsigned long long TotalCallCount();
// Platform call number `number` (and the `count - 1` after it), whatever its
// name, fails with `error`.
void FailCallNumber(unsigned long long number, DWORD error, unsigned count = 1);
// Keeps the name of every call from now on, for CallName.
void RecordCallNames();
// The name of call number `number` while names were recorded; "" when unknown.
std::string CallName(unsigned long long number);

// The counter of one call name; one per name for the life of the process.
struct CallSite {
  explicit CallSite(std::string callName) : name(std::move(callName)) {}
  const std::string name;
  std::atomic<unsigned> calls{0};
};

// The counter of `call`, made on first use.
CallSite& SiteFor(const char* call);

namespace detail {
extern std::atomic<unsigned long long> g_totalCalls;
extern std::atomic<bool> g_armed;  // a fault is injected or names are recorded
DWORD ArmedFault(CallSite& site, unsigned nth, unsigned long long number);
}  // namespace detail

// Counts a call at `site`; returns the error to fail with, or 0 to go on.
inline DWORD FaultAt(CallSite& site) {
  unsigned nth = site.calls.fetch_add(1, std::memory_order_relaxed) + 1;
  unsigned long long number = detail::g_totalCalls.fetch_add(1, std::memory_order_relaxed) + 1;
  if (!detail::g_armed.load(std::memory_order_acquire)) return 0;
  return detail::ArmedFault(site, nth, number);
}

// Looks the counter up on every call: for callers whose name is not fixed.
inline DWORD FaultFor(const char* call) { return FaultAt(SiteFor(call)); }

// An injected error as the HRESULT that COM-style calls return: an HRESULT
// as it is, lack of memory as E_OUTOFMEMORY, other Win32 errors wrapped.
HRESULT FaultHResult(DWORD error);

// Sets the thread's last error (the stand-ins' SetLastError).
void SetFaultError(DWORD error);

}  // namespace host

// The counter of call `name` at this place in the code, found once.
#define HOST_CALL_SITE(name)                                       \
  ([]() -> ::host::CallSite& {                                     \
    static ::host::CallSite& hostCallSite = ::host::SiteFor(name); \
    return hostCallSite;                                           \
  }())

// Counts call `name`; the error to fail with, or 0.
#define HOST_FAULT(name) ::host::FaultAt(HOST_CALL_SITE(name))

// Counts call `name`; on a fault sets the last error and returns `value`.
#define HOST_FAULT_RETURN(name, value)        \
  do {                                        \
    if (DWORD hostFault = HOST_FAULT(name)) { \
      ::host::SetFaultError(hostFault);       \
      return value;                           \
    }                                         \
  } while (0)
