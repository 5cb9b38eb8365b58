#include "render/time_text.h"

#include <algorithm>

#include "base/exceptions.h"
#include "platform/api/civil_date.h"
#include "platform/api/errors.h"
#include "render/number_text.h"

namespace cmr {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
constexpr uint64_t kSecondsPerDay = 86400;
// FILETIMEs from this value on have no date (the system's conversion fails).
constexpr uint64_t kFileTimeLimit = 0x8000000000000000ull;
// The days from 1601 to 30828-01-01: the system takes no date of that year
// back to a FILETIME, which an ISO text needs.
constexpr int64_t kDaysTo30828 = 10674942;
static_assert(plat::CivilFromDays(kDaysTo30828).year == 30828 && plat::CivilFromDays(kDaysTo30828 - 1).year == 30827);
constexpr uint64_t kIsoTextLimit = kDaysTo30828 * 86400ull * 10000000ull;

// "%04d-%02d-%02d" of a day since 1601. Computed here rather than asked of
// the system (a conversion per record would cost more than the entry's other
// fields, and this one cannot fail), and kept for the next time: records come
// in time order, most of them on the day of the record before.
char16_t* PutDate(char16_t* out, int64_t day) {
  struct DateText {
    int64_t day = -1;
    char16_t units[16];  // a five-digit year at most
    size_t size = 0;
  };
  thread_local DateText last;
  if (day != last.day) {
    const plat::CivilDate date = plat::CivilFromDays(day);
    char16_t* end = PutUnsigned(last.units, static_cast<uint64_t>(date.year), 4);
    *end++ = u'-';
    end = PutUnsigned(end, date.month, 2);
    *end++ = u'-';
    end = PutUnsigned(end, date.day, 2);
    last.size = static_cast<size_t>(end - last.units);
    last.day = day;
  }
  return std::copy_n(last.units, last.size, out);
}

// The date of whole seconds since 1601, then `separator`, then
// "%02d<c>%02d<c>%02d" with c `timeSeparator`.
char16_t* PutClock(char16_t* out, uint64_t secondsSince1601, char16_t separator, char16_t timeSeparator) {
  out = PutDate(out, static_cast<int64_t>(secondsSince1601 / kSecondsPerDay));
  const unsigned secondOfDay = static_cast<unsigned>(secondsSince1601 % kSecondsPerDay);
  *out++ = separator;
  out = PutUnsigned(out, secondOfDay / 3600, 2);
  *out++ = timeSeparator;
  out = PutUnsigned(out, secondOfDay / 60 % 60, 2);
  *out++ = timeSeparator;
  return PutUnsigned(out, secondOfDay % 60, 2);
}

}  // namespace

uint64_t UnixSecondsToFileTime(uint64_t seconds) { return (seconds + kSecondsFrom1601To1970) * kTicksPerSecond; }

uint64_t FileTimeToUnixSeconds(uint64_t fileTime) {
  if (fileTime == 0) return 0;
  return (fileTime - kUnixEpochAsFileTime) / kTicksPerSecond;
}

std::u16string FileTimeToIsoText(uint64_t fileTime) {
  if (fileTime >= kIsoTextLimit) return {};
  // "%4d-%02d-%02dT%02d:%02d:%02d.%06dZ"; a FILETIME's year has four digits at least.
  char16_t text[32];
  char16_t* out = PutClock(text, fileTime / kTicksPerSecond, u'T', u':');
  *out++ = u'.';
  out = PutUnsigned(out, fileTime % kTicksPerSecond / 10, 6);
  *out++ = u'Z';
  return std::u16string(text, out);
}

char16_t* PutClassicTimeText(char16_t* out, uint32_t timeWritten) {
  out = PutClock(out, timeWritten + kSecondsFrom1601To1970, u' ', u'-');
  *out++ = u' ';
  *out++ = u'0';
  return out;
}

char16_t* PutEventTimeText(char16_t* out, uint64_t fileTime) {
  if (fileTime >= kFileTimeLimit) throw cmr::Win32Exception(ERROR_INVALID_PARAMETER);
  out = PutClock(out, fileTime / kTicksPerSecond, u' ', u'-');
  *out++ = u' ';
  return PutUnsigned(out, fileTime % kTicksPerSecond / 10000, 3);
}

std::u16string ClassicTimeText(uint32_t timeWritten) {
  char16_t text[kEntryTimeChars];
  return std::u16string(text, PutClassicTimeText(text, timeWritten));
}

std::u16string EventTimeText(uint64_t fileTime) {
  char16_t text[kEntryTimeChars];
  return std::u16string(text, PutEventTimeText(text, fileTime));
}

}  // namespace cmr
