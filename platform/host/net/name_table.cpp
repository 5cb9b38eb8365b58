#include "platform/host/net/name_table.h"

#include "platform/api/utf.h"

namespace host {
namespace {

std::u16string_view WithoutClosingDot(std::u16string_view name) {
  if (!name.empty() && name.back() == u'.') name.remove_suffix(1);
  return name;
}

bool HasName(const HostEntry& entry, std::u16string_view name) {
  if (EqualNoCase(entry.canonicalName, name)) return true;
  for (const auto& alias : entry.aliases)
    if (EqualNoCase(alias, name)) return true;
  return false;
}

}  // namespace

NameTable::NameTable(Computer&) {
  localhost_.canonicalName = u"localhost";
  IpAddress v4, v6;
  IpAddress::Parse("127.0.0.1", &v4);
  IpAddress::Parse("::1", &v6);
  localhost_.addresses = {v4, v6};
}

bool NameTable::AddHost(std::vector<std::u16string> names, const std::vector<std::string>& addresses, bool reverse) {
  if (names.empty()) return false;
  HostEntry entry;
  for (const auto& text : addresses) {
    IpAddress address;
    if (!IpAddress::Parse(text, &address)) return false;
    entry.addresses.push_back(address);
  }
  entry.canonicalName = names[0];
  entry.aliases.assign(names.begin() + 1, names.end());
  if (reverse)
    for (const auto& address : entry.addresses) ptr_[plat::Utf8ToUtf16(address.ReverseName())].push_back(names[0]);
  hosts_.push_back(std::move(entry));
  return true;
}

bool NameTable::AddPtr(const std::string& address, const std::u16string& name) {
  IpAddress parsed;
  if (!IpAddress::Parse(address, &parsed)) return false;
  ptr_[plat::Utf8ToUtf16(parsed.ReverseName())].push_back(name);
  return true;
}

bool NameTable::SetMac(const std::string& address, std::vector<BYTE> mac) {
  IpAddress parsed;
  if (!IpAddress::Parse(address, &parsed) || mac.empty() || mac.size() > 32) return false;
  macs_[parsed] = std::move(mac);
  return true;
}

const HostEntry* NameTable::Find(std::u16string_view name) const {
  name = WithoutClosingDot(name);
  if (name.empty()) return nullptr;
  for (const auto& entry : hosts_)
    if (HasName(entry, name)) return &entry;
  return EqualNoCase(name, u"localhost") ? &localhost_ : nullptr;
}

std::vector<std::u16string> NameTable::PtrNames(std::string_view reverseName) const {
  std::u16string key = plat::Utf8ToUtf16(reverseName);
  auto it = ptr_.find(WithoutClosingDot(key));
  return it == ptr_.end() ? std::vector<std::u16string>{} : it->second;
}

const std::vector<BYTE>* NameTable::Mac(const IpAddress& address) const {
  auto it = macs_.find(address);
  return it == macs_.end() ? nullptr : &it->second;
}

NameTable& Names() { return Host::Get().Local().Service<NameTable>(); }

}  // namespace host
