#include "platform/host/net/net_facts.h"

#include "platform/host/host.h"
#include "platform/host/machine/system_version.h"

namespace host {

NetFacts::NetFacts(Computer& computer) : computer_(computer) {
  auto it = computer.Environment().find(u"SystemRoot");
  std::u16string systemRoot = it != computer.Environment().end() ? it->second : u"C:\\Windows";
  shares = {
      {u"ADMIN$", STYPE_DISKTREE | STYPE_SPECIAL, u"Remote Admin", systemRoot},
      {u"C$", STYPE_DISKTREE | STYPE_SPECIAL, u"Default share", u"C:\\"},
      {u"IPC$", STYPE_IPC | STYPE_SPECIAL, u"Remote IPC", u""},
  };
}

void NetFacts::JoinDomain(const std::u16string& flatName, const std::u16string& dnsName,
                          const std::u16string& controller, const std::u16string& controllerAddress) {
  langroup = flatName;
  dnsDomain = dnsName;
  domainController = controller;
  domainControllerAddress = controllerAddress;
}

DWORD NetFacts::ServerType() const {
  if (serverType) return *serverType;
  DWORD type = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT | SV_TYPE_POTENTIAL_BROWSER;
  BYTE product = computer_.Service<SystemVersion>().productType;
  if (product == VER_NT_SERVER) type |= SV_TYPE_SERVER_NT;
  if (product == VER_NT_DOMAIN_CONTROLLER) type |= SV_TYPE_SERVER_NT | SV_TYPE_DOMAIN_CTRL | SV_TYPE_TIME_SOURCE;
  if (InDomain() && product != VER_NT_DOMAIN_CONTROLLER) type |= SV_TYPE_DOMAIN_MEMBER;
  return type;
}

}  // namespace host
