#include "platform/host/files/archive_name.h"

#include <cstdio>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/kernel/clock.h"

namespace host {

std::u16string ArchiveTimeText(ULONGLONG fileTime) {
  FILETIME ft{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  SYSTEMTIME st{};
  FileTimeToSystemTime(&ft, &st);
  char text[64];
  snprintf(text, sizeof text, "%04u-%02u-%02u-%02u-%02u-%02u-%03u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
           st.wSecond, st.wMilliseconds);
  return plat::Utf8ToUtf16(text);
}

std::u16string ArchiveTimeNow() {
  const LONGLONG bias = static_cast<LONGLONG>(LocalTimeBiasMinutes()) * 600000000LL;
  return ArchiveTimeText(NowFileTime() + static_cast<ULONGLONG>(bias));
}

}  // namespace host
