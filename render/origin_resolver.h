// Where a logon came from: for logon-type security events, the network
// address written in the event ("FROM"), the hardware address of that
// machine ("MAC") and its fully qualified name ("FQDN"), cached by address.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "platform/api/net.h"

namespace cmr {

class OriginResolver {
 public:
  // computerName: the computer whose log is read ("" for the local one); it
  // stands in for loopback addresses.
  explicit OriginResolver(std::u16string computerName);
  ~OriginResolver();
  OriginResolver(const OriginResolver&) = delete;
  OriginResolver& operator=(const OriginResolver&) = delete;

  // For a logon-type classic record (EVENTLOGRECORD bytes) with a usable user
  // and an address: FROM and, when asked (non-null), MAC and FQDN. The
  // outputs are cleared first; true when FROM was found.
  bool ResolveEventOrigin(std::span<const uint8_t> record, std::u16string* from, std::u16string* mac,
                          std::u16string* fqdn);

  // FROM = address; MAC and FQDN (each when asked) of the machine at it.
  // False when the address could not be resolved at all.
  bool ResolveAddress(const std::u16string& address, std::u16string* from, std::u16string* mac, std::u16string* fqdn);

  // The confirmed name of a reverse (PTR) lookup of an address; "" if none.
  std::u16string ResolveFQDN(const sockaddr* address);

  // False for "", "-", "ANONYMOUS LOGON" and computer accounts (ending in "$").
  static bool IsUsableAccountName(const std::u16string& name);

 private:
  struct Origin {
    std::u16string address;
    std::u16string mac;
    std::u16string fqdn;
  };

  bool Resolve(const std::u16string& address, std::u16string* mac, std::u16string* fqdn, bool mayUseComputerName);
  bool ConfirmHostName(const std::u16string& name, const sockaddr* address);

  std::map<std::u16string, Origin> cache_;
  std::u16string computerName_;
  bool socketsStarted_ = false;
};

// A physical address as "%02X" bytes joined by ":" (00:1A:2B:3C:4D:5E).
std::u16string MacAddressText(const BYTE* bytes, size_t count);

// The reverse-lookup name of an address: "4.3.2.1.in-addr.arpa", or the 32
// nibbles of an IPv6 address in reverse order followed by "ip6.arpa".
std::u16string ReverseLookupName(const sockaddr* address);

}  // namespace cmr
