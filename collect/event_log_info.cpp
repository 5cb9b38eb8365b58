// TEMPORARY listing of the classic logs: names from the registry only. The
// display names (DisplayNameFile, DisplayNameID) and the record counts
// (OpenEventLogW, GetNumberOfEventLogRecords) join with the classic
// event-log primitives; until then DisplayName is the log's name and
// NumOfRecords 0.
#include "collect/event_log_info.h"

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"

namespace cmr {
namespace {

constexpr char16_t kEventLogKey[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// Closes a registry key at the end of a scope.
struct KeyGuard {
  HKEY key = nullptr;
  ~KeyGuard() {
    if (key != nullptr) RegCloseKey(key);
  }
};

std::vector<std::u16string> ListEventLogNames(bool local, const std::u16string& computer) {
  KeyGuard machine;
  HKEY root = HKEY_LOCAL_MACHINE;
  if (!local) {
    ThrowIfError(RegConnectRegistryW(computer.empty() ? nullptr : computer.c_str(), HKEY_LOCAL_MACHINE, &machine.key));
    root = machine.key;
  }
  KeyGuard logs;
  ThrowIfError(RegOpenKeyExW(root, kEventLogKey, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &logs.key));
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    char16_t name[256] = {};
    DWORD size = 255;
    if (RegEnumKeyExW(logs.key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}

}  // namespace

bool IsLocalComputer(const char16_t* name) {
  if (name == nullptr) return true;
  std::u16string_view rest(name);
  if (rest.size() > 2 && rest.starts_with(u"\\\\")) rest.remove_prefix(2);
  char16_t own[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(own, &size)) return false;
  return EqualNoCase(rest, std::u16string_view(own, size));
}

bool GetEventLogInfo(bool local, const std::u16string& computer, LANGID /*language*/, std::vector<LogInfoEntry>& out) {
  std::vector<std::u16string> names;
  try {
    names = ListEventLogNames(local, computer);
  } catch (const Win32Exception& e) {
    Trace(10, u"Failed to get event log list: %d (%s)", e.Code(), e.Details());
    SetLastError(e.Code());
    return false;
  }
  for (const std::u16string& name : names) {
    LogInfoEntry entry;
    entry.Name = name;
    entry.DisplayName = name;
    entry.API = kApiClassic;
    entry.APIUsed = kApiClassic;
    entry.Enabled = 1;
    out.push_back(entry);
  }
  return true;
}

}  // namespace cmr
