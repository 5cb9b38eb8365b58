#include "platform/host/faults/faults.h"

#include <map>
#include <mutex>

namespace host {
namespace {

struct Fault {
  unsigned first;  // call number (1-based) of the first failing call
  unsigned count;
  DWORD error;
};

struct Faults {
  std::mutex mutex;
  std::map<std::string, unsigned> calls;
  std::multimap<std::string, Fault> faults;
};

Faults& State() {
  static Faults* state = new Faults();
  return *state;
}

}  // namespace

void InjectFault(const std::string& call, unsigned nth, DWORD error, unsigned count) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  unsigned made = s.calls[call];
  s.faults.emplace(call, Fault{made + (nth == 0 ? 1 : nth), count, error});
}

void ClearFaults() {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.calls.clear();
  s.faults.clear();
}

unsigned CallCount(const std::string& call) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  auto it = s.calls.find(call);
  return it == s.calls.end() ? 0 : it->second;
}

DWORD FaultFor(const char* call) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  unsigned n = ++s.calls[call];
  auto range = s.faults.equal_range(call);
  for (auto it = range.first; it != range.second; ++it) {
    const Fault& f = it->second;
    if (n >= f.first && n < f.first + f.count) return f.error;
  }
  return 0;
}

}  // namespace host
