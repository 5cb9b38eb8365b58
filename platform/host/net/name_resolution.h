// Forward name resolution shared by gethostbyname, getaddrinfo and
// GetAddrInfoW, and the started state of the socket library.
#pragma once

#include <string>
#include <vector>

#include "platform/host/net/ip_address.h"

namespace host {

struct Resolution {
  int error = 0;  // 0 or a WSA code
  std::u16string canonicalName;
  std::vector<IpAddress> addresses;
};

// `family` AF_UNSPEC, AF_INET or AF_INET6 filters the addresses. Numeric
// text stands for itself (its canonical name is the text); "" and the local
// computer's own name resolve to the local computer (its table entry, else
// loopback); other names come from the name table. WSAHOST_NOT_FOUND for an
// unknown name, WSANO_DATA for a known one without an address of the family,
// WSATRY_AGAIN while DNS does not answer. Callers hold the host lock.
Resolution ResolveName(std::u16string_view name, int family, bool numericOnly = false);

// WSAStartup succeeded more often than WSACleanup was called.
bool SocketsStarted();

}  // namespace host
