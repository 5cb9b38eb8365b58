// CEventFilter's filter times as text: "day.month.year hour:minute:second",
// UTC, no padding.
#include <cstdio>

#include "base/file_time.h"
#include "base/trace.h"
#include "filter/event_filter.h"
#include "platform/api/kernel.h"

namespace cmr {

bool CEventFilter::ParseTimeToUTC(const char* text, uint32_t& seconds) {
  if (text == nullptr) return false;
  int day, month, year, hour, minute, second;
  if (std::sscanf(text, "%d.%d.%d %d:%d:%d", &day, &month, &year, &hour, &minute, &second) != 6) return false;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return false;
  ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  std::optional<uint32_t> since1970 = cmr::FileTimeToUnixSeconds32(ticks);
  if (!since1970) return false;
  seconds = *since1970;
  return true;
}

bool CEventFilter::UTCtoTimeString(uint32_t seconds, std::string& text) {
  ULONGLONG ticks = seconds * cmr::kFileTimeTicksPerSecond + cmr::kFileTimeOf1970;
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME st{};
  if (!FileTimeToSystemTime(&ft, &st)) {
    Trace(30,
          u"FileTimeToSystemTime( { ft.dwHighDateTime : %d, ft.dwLowDateTime : %d }, { st.wYear : %d, st.wMonth : %d, "
          u"st.wDayOfWeek : %d, st.wDay : %d, st.wHour : %d, st.wMinute : %d, st.wSecond : %d, st.wMilliseconds : %d "
          u"} ) failed",
          ft.dwHighDateTime, ft.dwLowDateTime, st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute,
          st.wSecond, st.wMilliseconds);
    return false;
  }
  Trace(30, u"generating output time sting: %d.%d.%d %d:%d:%d", st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute,
        st.wSecond);
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%d.%d.%d %d:%d:%d", st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute,
                st.wSecond);
  text = buffer;
  Trace(30, u"done.");
  return true;
}

}  // namespace cmr
