// getaddrinfo and GetAddrInfoW over the host's name table. Each answer is one
// block of the address-info pool: the list entries, their socket addresses
// and the canonical name.
#include <optional>
#include <string>
#include <type_traits>

#include "platform/api/kernel.h"
#include "platform/api/net.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/net/name_resolution.h"

namespace {

struct Query {
  int flags = 0;
  int family = AF_UNSPEC;
  int socktype = 0;
  int protocol = 0;
};

// 0 and the port, or a WSA code. Only numeric services are known.
int ParseService(const std::u16string* service, USHORT* port) {
  *port = 0;
  if (!service) return 0;
  unsigned long value = 0;
  if (service->empty() || service->size() > 5) return WSATYPE_NOT_FOUND;
  for (char16_t c : *service) {
    if (c < u'0' || c > u'9') return WSATYPE_NOT_FOUND;
    value = value * 10 + (c - u'0');
  }
  if (value > 65535) return WSATYPE_NOT_FOUND;
  *port = static_cast<USHORT>(value);
  return 0;
}

int CheckHints(const Query& q, bool hasNode) {
  if (q.family != AF_UNSPEC && q.family != AF_INET && q.family != AF_INET6) return WSAEAFNOSUPPORT;
  if (q.socktype != 0 && q.socktype != SOCK_STREAM && q.socktype != SOCK_DGRAM && q.socktype != SOCK_RAW)
    return WSAESOCKTNOSUPPORT;
  if ((q.flags & AI_CANONNAME) && !hasNode) return WSANO_RECOVERY;
  return 0;
}

// The shared part of both calls: 0 and the resolution, or a WSA code.
int Resolve(host::CallSite& call, const std::u16string* node, const std::u16string* service, const Query& q,
            host::Resolution* r, USHORT* port) {
  if (DWORD e = host::FaultAt(call)) return static_cast<int>(e);
  if (!host::SocketsStarted()) return WSANOTINITIALISED;
  if (!node && !service) return WSAHOST_NOT_FOUND;
  if (int e = CheckHints(q, node != nullptr)) return e;
  if (int e = ParseService(service, port)) return e;
  host::Lock lock;
  *r = host::ResolveName(node ? *node : std::u16string(), q.family, (q.flags & AI_NUMERICHOST) != 0);
  if (!node) r->canonicalName.clear();
  return r->error;
}

// Builds the list for either entry type (addrinfo or ADDRINFOW).
template <class Entry, class NameOf>
Entry* BuildList(const host::Resolution& r, const Query& q, USHORT port, NameOf nameOf) {
  void* block = host::BuildBlock(host::AddrInfoBlocks(), [&](host::BlockWriter& w) {
    Entry* previous = nullptr;
    for (size_t i = 0; i < r.addresses.size(); ++i) {
      auto* e = w.Take<Entry>();
      auto* address = w.Take<sockaddr_in6>();
      e->ai_family = r.addresses[i].family;
      e->ai_socktype = q.socktype;
      e->ai_protocol = q.protocol;
      e->ai_addrlen = static_cast<decltype(e->ai_addrlen)>(r.addresses[i].FillSockaddr(address, port));
      e->ai_addr = reinterpret_cast<sockaddr*>(address);
      e->ai_canonname = nullptr;
      e->ai_next = nullptr;
      if (i == 0 && (q.flags & AI_CANONNAME)) e->ai_canonname = nameOf(w, r.canonicalName);
      if (previous) previous->ai_next = e;
      previous = e;
    }
  });
  return static_cast<Entry*>(block);
}

// Both calls: checks the arguments, resolves and builds the list.
template <class Entry, class NameOf>
int AddrInfo(host::CallSite& call, const std::optional<std::u16string>& node,
             const std::optional<std::u16string>& service, const Entry* hints, Entry** result, NameOf nameOf) {
  if (!result) return WSAEINVAL;
  *result = nullptr;
  Query q;
  if (hints) q = {hints->ai_flags, hints->ai_family, hints->ai_socktype, hints->ai_protocol};
  host::Resolution r;
  USHORT port = 0;
  if (int e = Resolve(call, node ? &*node : nullptr, service ? &*service : nullptr, q, &r, &port)) {
    WSASetLastError(e);
    return e;
  }
  *result = BuildList<Entry>(r, q, port, nameOf);
  return *result ? 0 : WSA_NOT_ENOUGH_MEMORY;
}

template <class Char>
std::optional<std::u16string> Text(const Char* text) {
  if (!text) return std::nullopt;
  if constexpr (std::is_same_v<Char, char>) return plat::Utf8ToUtf16(text);
  else return std::u16string(text);
}

}  // namespace

namespace winsock {

int getaddrinfo(const char* nodeName, const char* serviceName, const addrinfo* hints, addrinfo** result) {
  return AddrInfo(HOST_CALL_SITE("getaddrinfo"), Text(nodeName), Text(serviceName), hints, result,
                  [](host::BlockWriter& w, const std::u16string& name) { return w.Narrow(plat::Utf16ToUtf8(name)); });
}

void freeaddrinfo(addrinfo* list) { host::AddrInfoBlocks().Release(list); }

}  // namespace winsock

INT GetAddrInfoW(PCWSTR nodeName, PCWSTR serviceName, const ADDRINFOW* hints, PADDRINFOW* result) {
  return AddrInfo(HOST_CALL_SITE("GetAddrInfoW"), Text(nodeName), Text(serviceName), hints, result,
                  [](host::BlockWriter& w, const std::u16string& name) { return w.String(name); });
}

void FreeAddrInfoW(PADDRINFOW addrInfo) { host::AddrInfoBlocks().Release(addrInfo); }
