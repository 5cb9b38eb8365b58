#include "render/time_text.h"

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

// The date and time of day of whole seconds since 1601, computed here rather
// than asked of the system: a conversion per record costs more than the
// entry's other fields, and this one cannot fail.
struct EntryClock {
  plat::CivilDate date;
  unsigned hour, minute, second;
};

EntryClock ClockOf(uint64_t secondsSince1601) {
  const unsigned secondOfDay = static_cast<unsigned>(secondsSince1601 % kSecondsPerDay);
  return {plat::CivilFromDays(static_cast<int64_t>(secondsSince1601 / kSecondsPerDay)), secondOfDay / 3600,
          secondOfDay / 60 % 60, secondOfDay % 60};
}

// "%04d-%02d-%02d", then `separator`, then "%02d<c>%02d<c>%02d" with c
// `timeSeparator`.
char16_t* PutClock(char16_t* out, const EntryClock& clock, char16_t separator, char16_t timeSeparator) {
  out = PutUnsigned(out, static_cast<uint64_t>(clock.date.year), 4);
  *out++ = u'-';
  out = PutUnsigned(out, clock.date.month, 2);
  *out++ = u'-';
  out = PutUnsigned(out, clock.date.day, 2);
  *out++ = separator;
  out = PutUnsigned(out, clock.hour, 2);
  *out++ = timeSeparator;
  out = PutUnsigned(out, clock.minute, 2);
  *out++ = timeSeparator;
  return PutUnsigned(out, clock.second, 2);
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
  char16_t* out = PutClock(text, ClockOf(fileTime / kTicksPerSecond), u'T', u':');
  *out++ = u'.';
  out = PutUnsigned(out, fileTime % kTicksPerSecond / 10, 6);
  *out++ = u'Z';
  return std::u16string(text, out);
}

char16_t* PutClassicTimeText(char16_t* out, uint32_t timeWritten) {
  out = PutClock(out, ClockOf(timeWritten + kSecondsFrom1601To1970), u' ', u'-');
  *out++ = u' ';
  *out++ = u'0';
  return out;
}

char16_t* PutEventTimeText(char16_t* out, uint64_t fileTime) {
  if (fileTime >= kFileTimeLimit) throw cmr::Win32Exception(ERROR_INVALID_PARAMETER);
  out = PutClock(out, ClockOf(fileTime / kTicksPerSecond), u' ', u'-');
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
