#include "task/overwrite_warning.h"

#include "base/file_time.h"
#include "base/format.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

std::u16string TimeText(uint32_t seconds) {
  const uint64_t ticks = kFileTimeOf1970 + seconds * kFileTimeTicksPerSecond;
  FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME t{};
  FileTimeToSystemTime(&fileTime, &t);
  return FormatString(u"%02d/%02d/%04d %02d:%02d:%02d (GMT)", t.wMonth, t.wDay, t.wYear, t.wHour, t.wMinute,
                      t.wSecond);
}

}  // namespace

std::u16string OverwriteWarning(const std::u16string& logName, uint32_t lastCollected, uint32_t firstNew) {
  const uint32_t hours = (firstNew > lastCollected ? firstNew - lastCollected : 0) / 3600 + 1;
  return logName + u" log overwrites occurred on this computer since the last collection. " +
         u"Please increase the maximum size of the " + logName + u" event log. " + u"Last collected event: " +
         TimeText(lastCollected) + u"; first new event: " + TimeText(firstNew) + u"; estimated loss: " +
         FormatString(u"%u", hours) + u" hour(s). ";
}

}  // namespace cmr
