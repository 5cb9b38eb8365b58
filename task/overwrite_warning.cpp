#include "task/overwrite_warning.h"

#include "base/format.h"
#include "platform/api/kernel.h"
#include "render/time_text.h"

namespace cmr {

std::u16string GmtTimeText(uint32_t seconds) {
  uint64_t ticks = UnixSecondsToFileTime(seconds);
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME st{};
  FileTimeToSystemTime(&ft, &st);  // every 32-bit time converts
  return FormatString(u"%02d/%02d/%04d %02d:%02d:%02d (GMT)", st.wMonth, st.wDay, st.wYear, st.wHour, st.wMinute,
                      st.wSecond);
}

std::u16string OverwriteWarning(std::u16string_view logName, uint32_t lastCollected, uint32_t firstNew) {
  uint32_t elapsed = firstNew > lastCollected ? firstNew - lastCollected : 0;
  uint32_t hours = elapsed / 3600 + 1;
  std::u16string name(logName);
  return name + u" log overwrites occurred on this computer since the last collection. " +
         u"Please increase the maximum size of the " + name + u" event log. " + u"Last collected event: " +
         GmtTimeText(lastCollected) + u"; first new event: " + GmtTimeText(firstNew) + u"; estimated loss: " +
         FormatString(u"%u", hours) + u" hour(s). ";
}

}  // namespace cmr
