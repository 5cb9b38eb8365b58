#include "render/time_text.h"

#include "base/exceptions.h"
#include "base/format.h"
#include "platform/api/kernel.h"
#include "render/number_text.h"

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;

FILETIME ToFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

uint64_t FromFileTime(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// "%04d-%02d-%02d %02d-%02d-%02d " of a time: the part both "TW" texts share.
std::u16string EntryTimeText(const SYSTEMTIME& st) {
  std::u16string text;
  text.reserve(24);
  AppendUnsigned(text, st.wYear, 4);
  text.push_back(u'-');
  AppendUnsigned(text, st.wMonth, 2);
  text.push_back(u'-');
  AppendUnsigned(text, st.wDay, 2);
  text.push_back(u' ');
  AppendUnsigned(text, st.wHour, 2);
  text.push_back(u'-');
  AppendUnsigned(text, st.wMinute, 2);
  text.push_back(u'-');
  AppendUnsigned(text, st.wSecond, 2);
  text.push_back(u' ');
  return text;
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
  int micro = static_cast<int>((fileTime - FromFileTime(whole)) / 10);
  return FormatString(u"%4d-%02d-%02dT%02d:%02d:%02d.%06dZ", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                      st.wSecond, micro);
}

std::u16string ClassicTimeText(uint32_t timeWritten) {
  FILETIME ft = ToFileTime(UnixSecondsToFileTime(timeWritten));
  SYSTEMTIME st{};
  FileTimeToSystemTime(&ft, &st);  // every 32-bit time converts
  std::u16string text = EntryTimeText(st);
  text.push_back(u'0');
  return text;
}

std::u16string EventTimeText(uint64_t fileTime) {
  FILETIME ft = ToFileTime(fileTime);
  SYSTEMTIME st;
  cmr::ThrowLastErrorIfFalse(FileTimeToSystemTime(&ft, &st) != FALSE);
  std::u16string text = EntryTimeText(st);
  AppendUnsigned(text, st.wMilliseconds, 3);
  return text;
}
