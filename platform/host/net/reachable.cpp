#include "platform/host/net/reachable.h"

#include <vector>

#include "platform/api/utf.h"
#include "platform/host/net/name_table.h"

namespace host {
namespace {

// The computer that an address belongs to, by the names of the host entry
// that the address reverse-resolves to.
Computer* ComputerAt(std::u16string_view text) {
  IpAddress address;
  if (!IpAddress::Parse(plat::Utf16ToUtf8(text), &address)) return nullptr;
  for (const std::u16string& name : Names().PtrNames(address.ReverseName())) {
    const HostEntry* entry = Names().Find(name);
    std::vector<std::u16string> candidates = {name};
    if (entry) candidates.insert(candidates.end(), entry->aliases.begin(), entry->aliases.end());
    for (const std::u16string& candidate : candidates) {
      if (Computer* c = Host::Get().Find(candidate)) return c;
      if (Computer* c = Host::Get().Find(candidate.substr(0, candidate.find(u'.')))) return c;
    }
  }
  return nullptr;
}

}  // namespace

Computer* ReachableComputer(std::u16string_view name) {
  Computer* computer = Host::Get().Find(name);
  if (!computer) {
    while (!name.empty() && (name.front() == u'\\' || name.front() == u'/')) name.remove_prefix(1);
    computer = ComputerAt(name);
  }
  return computer && computer->Reachable() ? computer : nullptr;
}

}  // namespace host
