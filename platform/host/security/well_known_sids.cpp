#include "platform/host/security/well_known_sids.h"

#include "platform/host/host.h"

namespace host {
namespace {

constexpr char16_t kNt[] = u"NT AUTHORITY";
constexpr char16_t kBuiltin[] = u"BUILTIN";

constexpr WellKnownAccount kAccounts[] = {
    {u"S-1-0-0", u"", u"", u"NULL SID", SidTypeWellKnownGroup},
    {u"S-1-1-0", u"WD", u"", u"Everyone", SidTypeWellKnownGroup},
    {u"S-1-2-0", u"", u"", u"LOCAL", SidTypeWellKnownGroup},
    {u"S-1-2-1", u"", u"", u"CONSOLE LOGON", SidTypeWellKnownGroup},
    {u"S-1-3-0", u"CO", u"", u"CREATOR OWNER", SidTypeWellKnownGroup},
    {u"S-1-3-1", u"CG", u"", u"CREATOR GROUP", SidTypeWellKnownGroup},
    {u"S-1-3-4", u"OW", u"", u"OWNER RIGHTS", SidTypeWellKnownGroup},
    {u"S-1-5-1", u"", kNt, u"DIALUP", SidTypeWellKnownGroup},
    {u"S-1-5-2", u"NU", kNt, u"NETWORK", SidTypeWellKnownGroup},
    {u"S-1-5-3", u"", kNt, u"BATCH", SidTypeWellKnownGroup},
    {u"S-1-5-4", u"IU", kNt, u"INTERACTIVE", SidTypeWellKnownGroup},
    {u"S-1-5-6", u"SU", kNt, u"SERVICE", SidTypeWellKnownGroup},
    {u"S-1-5-7", u"AN", kNt, u"ANONYMOUS LOGON", SidTypeWellKnownGroup},
    {u"S-1-5-8", u"", kNt, u"PROXY", SidTypeWellKnownGroup},
    {u"S-1-5-9", u"ED", kNt, u"ENTERPRISE DOMAIN CONTROLLERS", SidTypeWellKnownGroup},
    {u"S-1-5-10", u"PS", kNt, u"SELF", SidTypeWellKnownGroup},
    {u"S-1-5-11", u"AU", kNt, u"Authenticated Users", SidTypeWellKnownGroup},
    {u"S-1-5-12", u"RC", kNt, u"RESTRICTED", SidTypeWellKnownGroup},
    {u"S-1-5-13", u"", kNt, u"TERMINAL SERVER USER", SidTypeWellKnownGroup},
    {u"S-1-5-14", u"", kNt, u"REMOTE INTERACTIVE LOGON", SidTypeWellKnownGroup},
    {u"S-1-5-15", u"", kNt, u"This Organization", SidTypeWellKnownGroup},
    {u"S-1-5-17", u"", kNt, u"IUSR", SidTypeWellKnownGroup},
    {u"S-1-5-18", u"SY", kNt, u"SYSTEM", SidTypeWellKnownGroup},
    {u"S-1-5-19", u"LS", kNt, u"LOCAL SERVICE", SidTypeWellKnownGroup},
    {u"S-1-5-20", u"NS", kNt, u"NETWORK SERVICE", SidTypeWellKnownGroup},
    {u"S-1-5-32", u"", kBuiltin, kBuiltin, SidTypeDomain},
    {u"S-1-5-32-544", u"BA", kBuiltin, u"Administrators", SidTypeAlias},
    {u"S-1-5-32-545", u"BU", kBuiltin, u"Users", SidTypeAlias},
    {u"S-1-5-32-546", u"BG", kBuiltin, u"Guests", SidTypeAlias},
    {u"S-1-5-32-547", u"PU", kBuiltin, u"Power Users", SidTypeAlias},
    {u"S-1-5-32-548", u"AO", kBuiltin, u"Account Operators", SidTypeAlias},
    {u"S-1-5-32-549", u"SO", kBuiltin, u"Server Operators", SidTypeAlias},
    {u"S-1-5-32-550", u"PO", kBuiltin, u"Print Operators", SidTypeAlias},
    {u"S-1-5-32-551", u"BO", kBuiltin, u"Backup Operators", SidTypeAlias},
    {u"S-1-5-32-552", u"RE", kBuiltin, u"Replicator", SidTypeAlias},
    {u"S-1-5-32-555", u"RD", kBuiltin, u"Remote Desktop Users", SidTypeAlias},
    {u"S-1-5-32-556", u"NO", kBuiltin, u"Network Configuration Operators", SidTypeAlias},
    {u"S-1-5-32-558", u"MU", kBuiltin, u"Performance Monitor Users", SidTypeAlias},
    {u"S-1-5-32-559", u"LU", kBuiltin, u"Performance Log Users", SidTypeAlias},
    {u"S-1-5-32-568", u"IS", kBuiltin, u"IIS_IUSRS", SidTypeAlias},
    {u"S-1-5-32-573", u"ER", kBuiltin, u"Event Log Readers", SidTypeAlias},
    {u"S-1-5-80-0", u"", u"NT SERVICE", u"ALL SERVICES", SidTypeWellKnownGroup},
    {u"S-1-16-4096", u"LW", u"Mandatory Label", u"Low Mandatory Level", SidTypeLabel},
    {u"S-1-16-8192", u"ME", u"Mandatory Label", u"Medium Mandatory Level", SidTypeLabel},
    {u"S-1-16-12288", u"HI", u"Mandatory Label", u"High Mandatory Level", SidTypeLabel},
    {u"S-1-16-16384", u"SI", u"Mandatory Label", u"System Mandatory Level", SidTypeLabel},
};

}  // namespace

const WellKnownAccount* FindWellKnownSid(std::u16string_view sid) {
  for (const auto& account : kAccounts)
    if (EqualNoCase(account.sid, sid)) return &account;
  return nullptr;
}

const WellKnownAccount* FindWellKnownAlias(std::u16string_view alias) {
  if (alias.empty()) return nullptr;
  for (const auto& account : kAccounts)
    if (EqualNoCase(account.alias, alias)) return &account;
  return nullptr;
}

}  // namespace host
