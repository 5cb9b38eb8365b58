// SendARP and ResolveIpNetEntry2 over the neighbour table of the local computer.
#include <algorithm>
#include <cstring>

#include "platform/api/net.h"
#include "platform/host/faults/faults.h"
#include "platform/host/net/name_table.h"

DWORD SendARP(IPAddr destination, IPAddr /*source*/, PVOID macAddress, PULONG length) {
  if (DWORD e = HOST_FAULT("SendARP")) return e;
  if (!macAddress || !length) return ERROR_INVALID_PARAMETER;
  if (*length == 0) return ERROR_INVALID_USER_BUFFER;
  host::Lock lock;
  const std::vector<BYTE>* mac = host::Names().Mac(host::IpAddress::V4(destination));
  if (!mac) return ERROR_BAD_NET_NAME;
  if (*length < mac->size()) return ERROR_BUFFER_OVERFLOW;
  std::memcpy(macAddress, mac->data(), mac->size());
  *length = static_cast<ULONG>(mac->size());
  return NO_ERROR;
}

DWORD ResolveIpNetEntry2(PMIB_IPNET_ROW2 row, const SOCKADDR_INET* /*sourceAddress*/) {
  if (DWORD e = HOST_FAULT("ResolveIpNetEntry2")) return e;
  if (!row) return ERROR_INVALID_PARAMETER;
  int family = row->Address.si_family;
  if (family != AF_INET && family != AF_INET6) return ERROR_INVALID_PARAMETER;
  if (row->InterfaceLuid.Value == 0 && row->InterfaceIndex == 0) return ERROR_INVALID_PARAMETER;
  host::IpAddress address = host::IpAddress::FromSockaddr(reinterpret_cast<const sockaddr*>(&row->Address));
  if (address.IsLoopback()) return ERROR_INVALID_PARAMETER;
  host::Lock lock;
  const host::NameTable& names = host::Names();
  ULONG index = row->InterfaceIndex ? row->InterfaceIndex : static_cast<ULONG>(row->InterfaceLuid.Info.NetLuidIndex);
  if (std::find(names.interfaces.begin(), names.interfaces.end(), index) == names.interfaces.end())
    return ERROR_NOT_FOUND;
  const std::vector<BYTE>* mac = names.Mac(address);
  if (!mac) return ERROR_BAD_NET_NAME;
  std::memcpy(row->PhysicalAddress, mac->data(), mac->size());
  row->PhysicalAddressLength = static_cast<ULONG>(mac->size());
  row->InterfaceIndex = index;
  row->State = NlnsReachable;
  return NO_ERROR;
}
