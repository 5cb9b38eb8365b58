#include "platform/host/net/name_resolution.h"

#include "platform/api/utf.h"
#include "platform/host/net/name_table.h"

namespace host {
namespace {

Resolution FromEntry(const HostEntry& entry, int family) {
  Resolution r;
  r.canonicalName = entry.canonicalName;
  for (const auto& address : entry.addresses)
    if (family == AF_UNSPEC || address.family == family) r.addresses.push_back(address);
  if (r.addresses.empty()) r.error = WSANO_DATA;
  return r;
}

}  // namespace

Resolution ResolveName(std::u16string_view name, int family, bool numericOnly) {
  IpAddress numeric;
  if (IpAddress::Parse(plat::Utf16ToUtf8(name), &numeric)) {
    Resolution r;
    r.canonicalName = std::u16string(name);
    if (family == AF_UNSPEC || family == numeric.family) r.addresses.push_back(numeric);
    else r.error = WSAHOST_NOT_FOUND;
    return r;
  }
  Resolution r;
  r.error = WSAHOST_NOT_FOUND;
  if (numericOnly) return r;
  const NameTable& names = Names();
  const std::u16string& localName = Host::Get().Local().Name();
  if (name.empty()) name = localName;
  if (const HostEntry* entry = names.Find(name)) return FromEntry(*entry, family);
  if (EqualNoCase(name, localName)) {
    HostEntry local = *names.Find(u"localhost");
    local.canonicalName = localName;
    return FromEntry(local, family);
  }
  if (!names.dnsAvailable) r.error = WSATRY_AGAIN;
  return r;
}

}  // namespace host
