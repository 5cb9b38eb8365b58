#include "collect/event_log_key.h"

#include "base/text.h"
#include "platform/api/kernel.h"

namespace cmr {

bool IsLocalComputer(const char16_t* name) {
  // A NULL BSTR and an empty one are the same text: both name the local computer.
  if (!name || *name == 0) return true;
  std::u16string_view rest(name);
  if (rest.size() > 2 && rest.substr(0, 2) == u"\\\\") rest.remove_prefix(2);
  char16_t local[256] = {};
  DWORD size = 256;
  if (!GetComputerNameW(local, &size)) return false;
  return EqualNoCase(rest, std::u16string_view(local, size));
}

LONG OpenEventLogKey(const char16_t* computer, const std::u16string& logName, HKEY* key) {
  return OpenComputerKey(computer, kEventLogRegistryPath + logName, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key);
}

LONG OpenComputerKey(const char16_t* computer, const std::u16string& path, REGSAM access, HKEY* key) {
  if (IsLocalComputer(computer)) return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key);
  HKEY remote = nullptr;
  if (LONG status = RegConnectRegistryW(computer, HKEY_LOCAL_MACHINE, &remote)) return status;
  LONG status = RegOpenKeyExW(remote, path.c_str(), 0, access, key);
  RegCloseKey(remote);
  return status;
}

}  // namespace cmr
