// An IPv4 or IPv6 address held by value, with its text and reverse-lookup
// (PTR) names.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/api/net.h"

namespace host {

struct IpAddress {
  int family = AF_INET;          // AF_INET or AF_INET6 (the platform's values)
  std::array<BYTE, 16> bytes{};  // network order; IPv4 uses the first 4

  // Strict dotted IPv4 ("10.0.0.5") or IPv6 text ("fe80::1"); false otherwise.
  static bool Parse(std::string_view text, IpAddress* address);
  static IpAddress V4(ULONG networkOrder);
  static IpAddress FromSockaddr(const sockaddr* address);

  size_t Size() const { return family == AF_INET ? 4 : 16; }
  std::string Text() const;
  // "4.3.2.1.in-addr.arpa" or the 32 nibbles of an IPv6 address in reverse
  // order, each followed by ".", then "ip6.arpa".
  std::string ReverseName() const;
  bool IsLoopback() const;
  // A sockaddr_in or sockaddr_in6 with the port (host order).
  size_t FillSockaddr(sockaddr_in6* storage, USHORT port) const;

  bool operator==(const IpAddress& other) const { return family == other.family && bytes == other.bytes; }
  bool operator<(const IpAddress& other) const {
    return family != other.family ? family < other.family : bytes < other.bytes;
  }
};

}  // namespace host
