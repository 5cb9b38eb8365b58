// What a simulated computer tells about itself over the network:
// NetServerGetInfo (version from its SystemVersion, server type), NetWkstaGetInfo
// (domain or workgroup), DsGetDcNameW (its domain and controller) and
// NetShareEnum (its shares).
//
//   auto& net = host::Host::Get().Add(u"SRV1").Service<host::NetFacts>();
//   net.JoinDomain(u"CORP", u"corp.example.com", u"DC1", u"10.0.0.2");
//   net.shares.push_back({u"Logs", STYPE_DISKTREE, u"", u"D:\\Logs"});
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/api/net.h"

namespace host {

class Computer;

struct Share {
  std::u16string name;
  DWORD type = STYPE_DISKTREE;
  std::u16string remark;
  std::u16string path;
};

class NetFacts {
 public:
  // A workstation in the workgroup "WORKGROUP" with the administrative shares
  // C$, ADMIN$ (the computer's %SystemRoot%) and IPC$.
  explicit NetFacts(Computer& computer);

  // SV_TYPE_ bits: set here, or made from the product type of the computer's
  // SystemVersion and its domain membership.
  std::optional<DWORD> serverType;
  std::u16string comment;
  // Domain or workgroup (NetBIOS name), as NetWkstaGetInfo gives it.
  std::u16string langroup = u"WORKGROUP";
  // Set by JoinDomain; empty in a workgroup.
  std::u16string dnsDomain;
  std::u16string domainController;         // computer name of the controller
  std::u16string domainControllerAddress;  // its IP address, may be empty
  std::vector<Share> shares;

  void JoinDomain(const std::u16string& flatName, const std::u16string& dnsName, const std::u16string& controller,
                  const std::u16string& controllerAddress = {});
  bool InDomain() const { return !dnsDomain.empty(); }
  DWORD ServerType() const;

 private:
  Computer& computer_;
};

}  // namespace host
