// DsGetDcNameW: the controller of a domain that some computer of the host
// belongs to.
#include "platform/api/net.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/net/net_facts.h"
#include "platform/host/net/reachable.h"

namespace {

constexpr char16_t kSite[] = u"Default-First-Site-Name";

bool Names(const host::NetFacts& net, std::u16string_view domain, ULONG flags) {
  if (!net.InDomain()) return false;
  bool flat = host::EqualNoCase(net.langroup, domain), dns = host::EqualNoCase(net.dnsDomain, domain);
  if (flags & DS_IS_FLAT_NAME) return flat;
  if (flags & DS_IS_DNS_NAME) return dns;
  return flat || dns;
}

// The membership that describes the domain, or null when no computer of the
// host is in it.
const host::NetFacts* FindDomain(host::Computer& asking, const WCHAR* domain, ULONG flags) {
  const auto& own = asking.Service<host::NetFacts>();
  if (!domain || !*domain) return own.InDomain() ? &own : nullptr;
  if (Names(own, domain, flags)) return &own;
  for (host::Computer* computer : host::Host::Get().All()) {
    const auto& net = computer->Service<host::NetFacts>();
    if (Names(net, domain, flags)) return &net;
  }
  return nullptr;
}

bool ControllerAnswers(const host::NetFacts& domain) {
  if (domain.domainController.empty()) return false;
  host::Computer* controller = host::Host::Get().Find(domain.domainController);
  return !controller || controller->Reachable();  // a controller outside the model answers
}

}  // namespace

DWORD DsGetDcNameW(LPCWSTR computerName, LPCWSTR domainName, GUID* /*domainGuid*/, LPCWSTR /*siteName*/, ULONG flags,
                   PDOMAIN_CONTROLLER_INFOW* domainControllerInfo) {
  if (DWORD e = HOST_FAULT("DsGetDcNameW")) return e;
  if (!domainControllerInfo) return ERROR_INVALID_PARAMETER;
  *domainControllerInfo = nullptr;
  if ((flags & DS_RETURN_DNS_NAME) && (flags & DS_RETURN_FLAT_NAME)) return ERROR_INVALID_FLAGS;
  if ((flags & DS_IS_FLAT_NAME) && (flags & DS_IS_DNS_NAME)) return ERROR_INVALID_FLAGS;
  host::Lock lock;
  host::Computer* asking = host::ReachableComputer(computerName ? computerName : u"");
  if (!asking) return RPC_S_SERVER_UNAVAILABLE;
  const host::NetFacts* domain = FindDomain(*asking, domainName, flags);
  if (!domain || !ControllerAnswers(*domain)) return ERROR_NO_SUCH_DOMAIN;
  bool flat = (flags & DS_RETURN_FLAT_NAME) != 0;
  std::u16string address =
      domain->domainControllerAddress.empty() ? domain->domainController : domain->domainControllerAddress;
  void* block = host::BuildBlock(host::NetApiBlocks(), [&](host::BlockWriter& w) {
    auto* info = w.Take<DOMAIN_CONTROLLER_INFOW>();
    info->DomainControllerName = w.String(u"\\\\" + domain->domainController);
    info->DomainControllerAddress = w.String(u"\\\\" + address);
    info->DomainControllerAddressType = domain->domainControllerAddress.empty() ? DS_NETBIOS_ADDRESS : DS_INET_ADDRESS;
    info->DomainGuid = GUID{};
    info->DomainName = w.String(flat ? domain->langroup : domain->dnsDomain);
    info->DnsForestName = w.String(domain->dnsDomain);
    info->Flags = DS_DS_FLAG | DS_DNS_DOMAIN_FLAG | DS_DNS_CONTROLLER_FLAG;
    info->DcSiteName = w.String(kSite);
    info->ClientSiteName = w.String(kSite);
  });
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  *domainControllerInfo = static_cast<PDOMAIN_CONTROLLER_INFOW>(block);
  return ERROR_SUCCESS;
}
