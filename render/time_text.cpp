#include "render/time_text.h"

#include "base/exceptions.h"
#include "platform/api/kernel.h"
#include "render/number_text.h"

namespace cmr {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;

FILETIME ToFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

uint64_t FromFileTime(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// "%04d-%02d-%02d %02d-%02d-%02d " of a time: the part both "TW" texts share.
char16_t* PutEntryTime(char16_t* out, const SYSTEMTIME& st) {
  out = PutUnsigned(out, st.wYear, 4);
  *out++ = u'-';
  out = PutUnsigned(out, st.wMonth, 2);
  *out++ = u'-';
  out = PutUnsigned(out, st.wDay, 2);
  *out++ = u' ';
  out = PutUnsigned(out, st.wHour, 2);
  *out++ = u'-';
  out = PutUnsigned(out, st.wMinute, 2);
  *out++ = u'-';
  out = PutUnsigned(out, st.wSecond, 2);
  *out++ = u' ';
  return out;
}

}  // namespace

uint64_t UnixSecondsToFileTime(uint64_t seconds) { return (seconds + 11644473600ull) * kTicksPerSecond; }

uint64_t FileTimeToUnixSeconds(uint64_t fileTime) {
  if (fileTime == 0) return 0;
  return (fileTime - kUnixEpochAsFileTime) / kTicksPerSecond;
}

std::u16string FileTimeToIsoText(uint64_t fileTime) {
  FILETIME ft = ToFileTime(fileTime);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return {};
  st.wMilliseconds = 0;
  FILETIME whole;
  if (!SystemTimeToFileTime(&st, &whole)) return {};
  uint64_t micro = (fileTime - FromFileTime(whole)) / 10;
  // "%4d-%02d-%02dT%02d:%02d:%02d.%06dZ"; a FILETIME's year has four digits at least.
  char16_t text[32];
  char16_t* out = PutUnsigned(text, st.wYear, 4);
  *out++ = u'-';
  out = PutUnsigned(out, st.wMonth, 2);
  *out++ = u'-';
  out = PutUnsigned(out, st.wDay, 2);
  *out++ = u'T';
  out = PutUnsigned(out, st.wHour, 2);
  *out++ = u':';
  out = PutUnsigned(out, st.wMinute, 2);
  *out++ = u':';
  out = PutUnsigned(out, st.wSecond, 2);
  *out++ = u'.';
  out = PutUnsigned(out, micro, 6);
  *out++ = u'Z';
  return std::u16string(text, out);
}

char16_t* PutClassicTimeText(char16_t* out, uint32_t timeWritten) {
  FILETIME ft = ToFileTime(UnixSecondsToFileTime(timeWritten));
  SYSTEMTIME st{};
  FileTimeToSystemTime(&ft, &st);  // every 32-bit time converts
  out = PutEntryTime(out, st);
  *out++ = u'0';
  return out;
}

char16_t* PutEventTimeText(char16_t* out, uint64_t fileTime) {
  FILETIME ft = ToFileTime(fileTime);
  SYSTEMTIME st;
  cmr::ThrowLastErrorIfFalse(FileTimeToSystemTime(&ft, &st) != FALSE);
  return PutUnsigned(PutEntryTime(out, st), st.wMilliseconds, 3);
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
