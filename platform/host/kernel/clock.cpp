#include "platform/host/kernel/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace host {
namespace {

std::atomic<bool> g_virtual{false};
std::atomic<ULONGLONG> g_virtualNow{0};
std::atomic<LONG> g_bias{0};

}  // namespace

ULONGLONG NowFileTime() {
  if (g_virtual) return g_virtualNow;
  auto since = std::chrono::system_clock::now().time_since_epoch();
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  return kUnixEpochAsFileTime + static_cast<ULONGLONG>(ticks);
}

void SetLocalTimeBiasMinutes(LONG bias) { g_bias = bias; }
LONG LocalTimeBiasMinutes() { return g_bias; }

void UseVirtualClock(ULONGLONG start) {
  g_virtualNow = start;
  g_virtual = true;
}

void UseRealClock() { g_virtual = false; }
bool ClockIsVirtual() { return g_virtual; }

void AdvanceClock(ULONGLONG milliseconds) { g_virtualNow += milliseconds * 10000ULL; }

void SleepMilliseconds(DWORD milliseconds) {
  if (g_virtual) {
    AdvanceClock(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace host
