#include "tools/machine_accounts.h"

#include "platform/host/registry/registry_values.h"
#include "platform/host/security/accounts.h"
#include "platform/host/security/sid_value.h"

namespace tool {

size_t LoadProfileAccounts(host::Computer& computer) {
  host::Lock lock;
  auto profiles = host::Registry::Find(computer.Service<host::Registry>().Root(HKEY_LOCAL_MACHINE),
                                       u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList");
  if (!profiles) return 0;
  auto& accounts = computer.Service<host::Accounts>();
  size_t added = 0;
  for (const auto& [sidText, key] : profiles->Subkeys()) {
    host::SidBytes sid;
    std::u16string path;
    if (!host::ParseSidString(sidText, &sid) || accounts.Find(sid)) continue;
    if (!host::ReadStringValue(*key, u"ProfileImagePath", &path)) continue;
    size_t slash = path.find_last_of(u"\\/");
    std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    if (name.empty()) continue;
    if (accounts.Add(sidText, {computer.Name(), name, SidTypeUser})) ++added;
  }
  return added;
}

}  // namespace tool
