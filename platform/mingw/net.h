// The Windows build of platform/api/net.h's wide-text calls: the real
// netapi32, ws2_32 and dnsapi functions, with overloads that take the
// component's char16_t text.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <dsgetdc.h>
#include <lm.h>
#include <windns.h>

#include "platform/mingw/wide.h"

template <class C, plat::IfText<C> = 0>
inline NET_API_STATUS NetServerGetInfo(C* server, DWORD level, LPBYTE* buffer) {
  return ::NetServerGetInfo(plat::W(server), level, buffer);
}
template <class C, plat::IfText<C> = 0>
inline NET_API_STATUS NetWkstaGetInfo(C* server, DWORD level, LPBYTE* buffer) {
  return ::NetWkstaGetInfo(plat::W(server), level, buffer);
}
template <class C, plat::IfText<C> = 0>
inline NET_API_STATUS NetShareEnum(C* server, DWORD level, LPBYTE* buffer, DWORD preferredMaximum, LPDWORD read,
                                   LPDWORD total, LPDWORD resume) {
  return ::NetShareEnum(plat::W(server), level, buffer, preferredMaximum, read, total, resume);
}
template <class C, plat::IfText<C> = 0>
inline DWORD DsGetDcNameW(const C* computer, const plat::Same<C>* domain, GUID* domainGuid, const plat::Same<C>* site,
                          ULONG flags, PDOMAIN_CONTROLLER_INFOW* info) {
  return ::DsGetDcNameW(plat::W(computer), plat::W(domain), domainGuid, plat::W(site), flags, info);
}
inline DWORD DsGetDcNameW(std::nullptr_t, const char16_t* domain, GUID* domainGuid, std::nullptr_t, ULONG flags,
                          PDOMAIN_CONTROLLER_INFOW* info) {
  return ::DsGetDcNameW(nullptr, plat::W(domain), domainGuid, nullptr, flags, info);
}
template <class C, plat::IfText<C> = 0>
inline INT GetAddrInfoW(const C* node, const plat::Same<C>* service, const ADDRINFOW* hints, PADDRINFOW* result) {
  return ::GetAddrInfoW(plat::W(node), plat::W(service), hints, result);
}
template <class C, plat::IfText<C> = 0>
inline DNS_STATUS DnsQuery_W(const C* name, WORD type, DWORD options, PVOID extra, PDNS_RECORD* results,
                             PVOID* reserved) {
  return ::DnsQuery_W(plat::W(name), type, options, static_cast<PIP4_ARRAY>(extra), results, reserved);
}
