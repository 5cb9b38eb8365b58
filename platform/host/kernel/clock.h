// The host's clock. Real by default; tests make it virtual so that waits
// cost no real time (Sleep advances the virtual clock at once).
#pragma once

#include "platform/api/types.h"

namespace host {

// 100-ns intervals since 1601-01-01 UTC, as in a FILETIME.
ULONGLONG NowFileTime();

// Local time = UTC + bias minutes (default 0: the simulated computers keep UTC).
void SetLocalTimeBiasMinutes(LONG bias);
LONG LocalTimeBiasMinutes();

// Virtual time starts at `start` and moves only through Sleep or Advance.
void UseVirtualClock(ULONGLONG start);
void UseRealClock();
bool ClockIsVirtual();
void AdvanceClock(ULONGLONG milliseconds);

// Sleep on the host's clock.
void SleepMilliseconds(DWORD milliseconds);

// Seconds between 1601-01-01 and 1970-01-01 in FILETIME units.
inline constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

}  // namespace host
