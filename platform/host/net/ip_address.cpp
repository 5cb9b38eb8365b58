#include "platform/host/net/ip_address.h"

#include <cstdio>
#include <cstring>

namespace host {

bool IpAddress::Parse(std::string_view text, IpAddress* address) {
  std::string s(text);
  IpAddress a;
  if (inet_pton(AF_INET, s.c_str(), a.bytes.data()) == 1) {
    a.family = AF_INET;
  } else if (inet_pton(AF_INET6, s.c_str(), a.bytes.data()) == 1) {
    a.family = AF_INET6;
  } else {
    return false;
  }
  *address = a;
  return true;
}

IpAddress IpAddress::V4(ULONG networkOrder) {
  IpAddress a;
  std::memcpy(a.bytes.data(), &networkOrder, 4);
  return a;
}

IpAddress IpAddress::FromSockaddr(const sockaddr* address) {
  IpAddress a;
  if (address->sa_family == AF_INET6) {
    a.family = AF_INET6;
    std::memcpy(a.bytes.data(), &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, 16);
  } else {
    std::memcpy(a.bytes.data(), &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, 4);
  }
  return a;
}

std::string IpAddress::Text() const {
  char text[INET6_ADDRSTRLEN] = {};
  inet_ntop(family, bytes.data(), text, sizeof text);
  return text;
}

std::string IpAddress::ReverseName() const {
  std::string name;
  char part[8];
  if (family == AF_INET) {
    for (int i = 3; i >= 0; --i) {
      std::snprintf(part, sizeof part, "%u.", bytes[i]);
      name += part;
    }
    return name + "in-addr.arpa";
  }
  static const char kHex[] = "0123456789abcdef";
  for (int i = 15; i >= 0; --i) {
    name += kHex[bytes[i] & 0xF];
    name += '.';
    name += kHex[bytes[i] >> 4];
    name += '.';
  }
  return name + "ip6.arpa";
}

bool IpAddress::IsLoopback() const {
  if (family == AF_INET) return bytes[0] == 127;
  static const std::array<BYTE, 16> kLoopback6 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return bytes == kLoopback6;
}

size_t IpAddress::FillSockaddr(sockaddr_in6* storage, USHORT port) const {
  std::memset(storage, 0, sizeof *storage);
  if (family == AF_INET) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(storage);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    std::memcpy(&v4->sin_addr, bytes.data(), 4);
    return sizeof(sockaddr_in);
  }
  storage->sin6_family = AF_INET6;
  storage->sin6_port = htons(port);
  std::memcpy(&storage->sin6_addr, bytes.data(), 16);
  return sizeof(sockaddr_in6);
}

}  // namespace host
