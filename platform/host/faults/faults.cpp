#include "platform/host/faults/faults.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/api/errors.h"
#include "platform/api/kernel.h"

namespace host {
namespace detail {
std::atomic<unsigned long long> g_totalCalls{0};
std::atomic<bool> g_armed{false};
}  // namespace detail

namespace {

struct Fault {
  unsigned long long first;  // call number (1-based) of the first failing call
  unsigned count;
  DWORD error;

  bool Hits(unsigned long long number) const { return number >= first && number - first < count; }
};

// Everything but the counters, under one mutex: it is taken only on the
// armed path, when a fault is injected, and when a name is first seen.
struct Faults {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<CallSite>, std::less<>> sites;
  std::multimap<const CallSite*, Fault> byName;
  std::vector<Fault> byNumber;
  bool recording = false;
  std::vector<const CallSite*> names;  // names[k - 1]: call number k
};

Faults& State() {
  static Faults* state = new Faults();
  return *state;
}

CallSite& SiteLocked(Faults& s, std::string_view call) {
  auto it = s.sites.find(call);
  if (it == s.sites.end()) it = s.sites.emplace(std::string(call), std::make_unique<CallSite>(std::string(call))).first;
  return *it->second;
}

void Rearm(const Faults& s) {
  detail::g_armed.store(s.recording || !s.byName.empty() || !s.byNumber.empty(), std::memory_order_release);
}

}  // namespace

CallSite& SiteFor(const char* call) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  return SiteLocked(s, call);
}

namespace detail {

DWORD ArmedFault(CallSite& site, unsigned nth, unsigned long long number) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (s.recording) {
    if (s.names.size() < number) s.names.resize(number, nullptr);
    s.names[number - 1] = &site;
  }
  auto range = s.byName.equal_range(&site);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.Hits(nth)) return it->second.error;
  for (const Fault& f : s.byNumber)
    if (f.Hits(number)) return f.error;
  return 0;
}

}  // namespace detail

void InjectFault(const std::string& call, unsigned nth, DWORD error, unsigned count) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  CallSite& site = SiteLocked(s, call);
  unsigned made = site.calls.load(std::memory_order_relaxed);
  s.byName.emplace(&site, Fault{made + (nth == 0 ? 1ull : nth), count, error});
  Rearm(s);
}

void FailCallNumber(unsigned long long number, DWORD error, unsigned count) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.byNumber.push_back(Fault{number == 0 ? 1 : number, count, error});
  Rearm(s);
}

void RecordCallNames() {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.recording = true;
  Rearm(s);
}

void ClearFaults() {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  for (auto& entry : s.sites) entry.second->calls.store(0, std::memory_order_relaxed);
  detail::g_totalCalls.store(0, std::memory_order_relaxed);
  s.byName.clear();
  s.byNumber.clear();
  s.recording = false;
  s.names.clear();
  Rearm(s);
}

unsigned CallCount(const std::string& call) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  auto it = s.sites.find(call);
  return it == s.sites.end() ? 0 : it->second->calls.load(std::memory_order_relaxed);
}

unsigned long long TotalCallCount() { return detail::g_totalCalls.load(std::memory_order_relaxed); }

std::string CallName(unsigned long long number) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (number == 0 || number > s.names.size() || !s.names[number - 1]) return {};
  return s.names[number - 1]->name;
}

HRESULT FaultHResult(DWORD error) {
  if (static_cast<HRESULT>(error) < 0) return static_cast<HRESULT>(error);
  if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) return E_OUTOFMEMORY;
  return HRESULT_FROM_WIN32(error);
}

void SetFaultError(DWORD error) { SetLastError(error); }

}  // namespace host
