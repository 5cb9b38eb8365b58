// inet_addr, inet_ntoa, gethostbyname and gethostbyaddr.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/api/net.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"
#include "platform/host/net/name_resolution.h"
#include "platform/host/net/name_table.h"

namespace {

// The host entry of a thread, valid until the thread's next call, as Windows
// keeps one per thread.
struct ThreadHostEntry {
  hostent entry{};
  std::string name;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPointers;
  std::vector<std::array<BYTE, 16>> addresses;
  std::vector<char*> addressPointers;

  hostent* Fill(const std::u16string& official, const std::vector<std::u16string>& aliasNames, int family,
                const std::vector<host::IpAddress>& list) {
    name = plat::Utf16ToUtf8(official);
    aliases.clear();
    for (const auto& alias : aliasNames) aliases.push_back(plat::Utf16ToUtf8(alias));
    aliasPointers.clear();
    for (auto& alias : aliases) aliasPointers.push_back(alias.data());
    aliasPointers.push_back(nullptr);
    addresses.clear();
    for (const auto& address : list)
      if (address.family == family) addresses.push_back(address.bytes);
    addressPointers.clear();
    for (auto& bytes : addresses) addressPointers.push_back(reinterpret_cast<char*>(bytes.data()));
    addressPointers.push_back(nullptr);
    entry.h_name = name.data();
    entry.h_aliases = aliasPointers.data();
    entry.h_addrtype = family;
    entry.h_length = family == AF_INET ? 4 : 16;
    entry.h_addr_list = addressPointers.data();
    return &entry;
  }
};

thread_local ThreadHostEntry t_hostEntry;
thread_local char t_dotted[16];

hostent* Fail(int error) {
  WSASetLastError(error);
  return nullptr;
}

}  // namespace

namespace winsock {

ULONG inet_addr(const char* text) {
  in_addr address{};
  if (!text || !*text || ::inet_aton(text, &address) == 0) return INADDR_NONE;
  return address.s_addr;
}

char* inet_ntoa(in_addr address) {
  auto* b = reinterpret_cast<const BYTE*>(&address.s_addr);
  std::snprintf(t_dotted, sizeof t_dotted, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return t_dotted;
}

hostent* gethostbyname(const char* name) {
  if (DWORD e = HOST_FAULT("gethostbyname")) return Fail(static_cast<int>(e));
  if (!host::SocketsStarted()) return Fail(WSANOTINITIALISED);
  host::Lock lock;
  host::Resolution r = host::ResolveName(plat::Utf8ToUtf16(name ? name : ""), AF_INET);
  if (r.error) return Fail(r.error);
  const host::HostEntry* entry = host::Names().Find(r.canonicalName);
  std::vector<std::u16string> aliases = entry ? entry->aliases : std::vector<std::u16string>{};
  return t_hostEntry.Fill(r.canonicalName, aliases, AF_INET, r.addresses);
}

hostent* gethostbyaddr(const char* address, int length, int type) {
  if (DWORD e = HOST_FAULT("gethostbyaddr")) return Fail(static_cast<int>(e));
  if (!host::SocketsStarted()) return Fail(WSANOTINITIALISED);
  if (!address) return Fail(WSAEFAULT);
  if (type != AF_INET && type != AF_INET6) return Fail(WSAEAFNOSUPPORT);
  if (length != (type == AF_INET ? 4 : 16)) return Fail(WSAEFAULT);
  host::IpAddress ip;
  ip.family = type;
  std::memcpy(ip.bytes.data(), address, length);
  host::Lock lock;
  std::vector<std::u16string> names = host::Names().PtrNames(ip.ReverseName());
  if (names.empty()) return Fail(host::Names().dnsAvailable ? WSAHOST_NOT_FOUND : WSATRY_AGAIN);
  std::vector<std::u16string> aliases(names.begin() + 1, names.end());
  return t_hostEntry.Fill(names[0], aliases, type, {ip});
}

}  // namespace winsock
