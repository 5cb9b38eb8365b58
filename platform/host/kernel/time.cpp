// Time calls over the host's clock (host/clock.h).
#include <chrono>

#include "platform/api/civil_date.h"
#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/clock.h"

namespace {

constexpr ULONGLONG kTicksPerMs = 10000;
constexpr ULONGLONG kTicksPerDay = 86400ULL * 1000 * kTicksPerMs;

ULONGLONG FromFileTime(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

FILETIME ToFileTime(ULONGLONG v) { return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)}; }

// Days since 1601-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  unsigned yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - plat::kDaysFromCycleStartTo1601;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

SYSTEMTIME SystemTimeFromTicks(ULONGLONG ticks) {
  SYSTEMTIME st{};
  ULONGLONG days = ticks / kTicksPerDay;
  ULONGLONG rest = ticks % kTicksPerDay;
  const plat::CivilDate date = plat::CivilFromDays(static_cast<int64_t>(days));
  st.wYear = static_cast<WORD>(date.year);
  st.wMonth = static_cast<WORD>(date.month);
  st.wDay = static_cast<WORD>(date.day);
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<WORD>(rest / (3600000ULL * kTicksPerMs));
  st.wMinute = static_cast<WORD>(rest / (60000ULL * kTicksPerMs) % 60);
  st.wSecond = static_cast<WORD>(rest / (1000ULL * kTicksPerMs) % 60);
  st.wMilliseconds = static_cast<WORD>(rest / kTicksPerMs % 1000);
  return st;
}

ULONGLONG LocalTicks() {
  long long bias = static_cast<long long>(host::LocalTimeBiasMinutes()) * 60000LL * kTicksPerMs;
  return host::NowFileTime() + static_cast<ULONGLONG>(bias);
}

}  // namespace

void GetSystemTime(LPSYSTEMTIME time) { *time = SystemTimeFromTicks(host::NowFileTime()); }

void GetLocalTime(LPSYSTEMTIME time) { *time = SystemTimeFromTicks(LocalTicks()); }

void GetSystemTimeAsFileTime(LPFILETIME time) { *time = ToFileTime(host::NowFileTime()); }

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
  HOST_FAULT_RETURN("FileTimeToSystemTime", FALSE);
  ULONGLONG ticks = FromFileTime(*fileTime);
  if (ticks >= 0x8000000000000000ULL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *systemTime = SystemTimeFromTicks(ticks);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME fileTime) {
  HOST_FAULT_RETURN("SystemTimeToFileTime", FALSE);
  // wDayOfWeek is ignored, as on Windows.
  if (st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
      st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 ||
      st->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ULONGLONG days = static_cast<ULONGLONG>(DaysFromCivil(st->wYear, st->wMonth, st->wDay));
  ULONGLONG ms = ((st->wHour * 60ULL + st->wMinute) * 60 + st->wSecond) * 1000 + st->wMilliseconds;
  *fileTime = ToFileTime(days * kTicksPerDay + ms * kTicksPerMs);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  HOST_FAULT_RETURN("FileTimeToLocalFileTime", FALSE);
  long long bias = static_cast<long long>(host::LocalTimeBiasMinutes()) * 60000LL * kTicksPerMs;
  *localFileTime = ToFileTime(FromFileTime(*fileTime) + static_cast<ULONGLONG>(bias));
  return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  ULONGLONG x = FromFileTime(*a), y = FromFileTime(*b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

// Milliseconds since the host started; follows the virtual clock while it is on.
ULONGLONG GetTickCount64() {
  if (host::ClockIsVirtual()) return host::NowFileTime() / kTicksPerMs;
  static const auto steadyStart = std::chrono::steady_clock::now();
  auto elapsed = std::chrono::steady_clock::now() - steadyStart;
  return 1000 + static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void Sleep(DWORD milliseconds) { host::SleepMilliseconds(milliseconds); }
