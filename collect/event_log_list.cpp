#include "collect/event_log_list.h"

#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/event_log_key.h"
#include "collect/registry_text.h"
#include "platform/api/kernel.h"

namespace cmr {

bool ListEventLogs(const char16_t* computer, std::vector<std::u16string>& names) {
  try {
    HKEY key = nullptr;
    ThrowIfError(OpenEventLogKey(computer, u"", &key));
    KeyGuard guard(key);
    for (DWORD index = 0;; ++index) {
      char16_t name[255];
      DWORD size = 255;
      if (RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, size);
    }
    return true;
  } catch (const Win32Exception& e) {
    Trace(10, u"Failed to get event log list: %d (%s)", e.Code(), e.Details());
    SetLastError(static_cast<DWORD>(e.Code()));
    return false;
  }
}

bool EventLogExists(const char16_t* computer, const std::u16string& logName, bool& exists) {
  HKEY key = nullptr;
  LONG status = OpenEventLogKey(computer, logName, &key);
  if (status == ERROR_SUCCESS) {
    RegCloseKey(key);
    exists = true;
    return true;
  }
  if (status == ERROR_FILE_NOT_FOUND) {
    exists = false;
    return true;
  }
  SetLastError(static_cast<DWORD>(status));
  return false;
}

}  // namespace cmr
