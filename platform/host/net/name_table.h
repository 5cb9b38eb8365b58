// What the local computer's resolver knows of the network: host names and
// their addresses (forward DNS and the hosts file in one), reverse (PTR)
// records, and the physical addresses of neighbours (ARP for IPv4, neighbour
// discovery for IPv6). Winsock, DnsQuery_W, SendARP and ResolveIpNetEntry2
// answer from it; nothing reaches the real network.
//
// Tests fill it through the local computer:
//   auto& names = host::Names();
//   names.AddHost({u"srv1.corp.example.com", u"SRV1"}, {"10.0.0.5", "fe80::5"});
//   names.AddPtr("10.0.0.9", u"elsewhere.example.com");
//   names.SetMac("10.0.0.5", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/net/ip_address.h"

namespace host {

struct HostEntry {
  std::u16string canonicalName;
  std::vector<std::u16string> aliases;
  std::vector<IpAddress> addresses;
};

class NameTable {
 public:
  explicit NameTable(Computer& computer);

  // names[0] is the canonical (fully qualified) name, the others aliases.
  // Unless `reverse` is false every address also gets a PTR record to the
  // canonical name. False (and nothing added) when an address is not valid.
  bool AddHost(std::vector<std::u16string> names, const std::vector<std::string>& addresses, bool reverse = true);
  // A PTR record of an address; an address may have several.
  bool AddPtr(const std::string& address, const std::u16string& name);
  bool SetMac(const std::string& address, std::vector<BYTE> mac);

  // False: the DNS server does not answer (queries time out, Winsock
  // lookups fail with WSATRY_AGAIN).
  bool dnsAvailable = true;
  // Interface indexes of the computer (ResolveIpNetEntry2).
  std::vector<ULONG> interfaces = {1};

  // A host by any of its names, ignoring case and a closing dot. "localhost"
  // is always known (127.0.0.1 and ::1).
  const HostEntry* Find(std::u16string_view name) const;
  // PTR names of a reverse name ("4.3.2.1.in-addr.arpa"), ignoring case.
  std::vector<std::u16string> PtrNames(std::string_view reverseName) const;
  const std::vector<BYTE>* Mac(const IpAddress& address) const;

 private:
  std::vector<HostEntry> hosts_;
  HostEntry localhost_;
  std::map<std::u16string, std::vector<std::u16string>, NoCaseLess> ptr_;
  std::map<IpAddress, std::vector<BYTE>> macs_;
};

// The name table of the local computer; callers hold the host lock.
NameTable& Names();

}  // namespace host
