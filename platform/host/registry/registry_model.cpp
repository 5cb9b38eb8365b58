#include "platform/host/registry/registry_model.h"

#include <algorithm>

#include "platform/host/kernel/clock.h"

namespace host {

RegistryKey::RegistryKey(std::u16string name) : name_(std::move(name)), lastWrite_(NowFileTime()) {}

RegistryKey::KeyPtr RegistryKey::Subkey(std::u16string_view name) const {
  auto it = subkeys_.find(name);
  return it == subkeys_.end() ? nullptr : it->second;
}

RegistryKey::KeyPtr RegistryKey::CreateSubkey(std::u16string_view name, bool* created) {
  if (auto existing = Subkey(name)) {
    *created = false;
    return existing;
  }
  auto key = std::make_shared<RegistryKey>(std::u16string(name));
  subkeys_.emplace(key->Name(), key);
  Touch();
  *created = true;
  return key;
}

void RegistryKey::RemoveSubkey(std::u16string_view name) {
  auto it = subkeys_.find(name);
  if (it == subkeys_.end()) return;
  it->second->MarkDeleted();
  subkeys_.erase(it);
  Touch();
}

void RegistryKey::MarkDeleted() {
  deleted_ = true;
  for (auto& [name, key] : subkeys_) key->MarkDeleted();
}

const RegistryValue* RegistryKey::Value(std::u16string_view name) const {
  for (const auto& v : values_)
    if (EqualNoCase(v.name, name)) return &v;
  return nullptr;
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  Touch();
  for (auto& v : values_) {
    if (EqualNoCase(v.name, name)) {
      v.type = type;
      v.data = std::move(data);
      return;
    }
  }
  values_.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
}

bool RegistryKey::RemoveValue(std::u16string_view name) {
  auto it =
      std::find_if(values_.begin(), values_.end(), [&](const RegistryValue& v) { return EqualNoCase(v.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  Touch();
  return true;
}

void RegistryKey::Touch() { lastWrite_ = NowFileTime(); }

Registry::Registry(Computer&)
    : machine_(std::make_shared<RegistryKey>(u"HKEY_LOCAL_MACHINE")),
      users_(std::make_shared<RegistryKey>(u"HKEY_USERS")) {}

RegistryKey::KeyPtr Registry::Root(HKEY predefined) {
  bool created = false;
  if (predefined == HKEY_LOCAL_MACHINE) return machine_;
  if (predefined == HKEY_USERS) return users_;
  if (predefined == HKEY_CLASSES_ROOT) return Create(machine_, u"SOFTWARE\\Classes", &created);
  if (predefined == HKEY_CURRENT_USER) return Create(users_, u".DEFAULT", &created);
  return nullptr;
}

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

RegistryKey::KeyPtr Registry::Find(RegistryKey::KeyPtr from, std::u16string_view path) {
  for (const auto& name : SplitKeyPath(path)) {
    if (!from) break;
    from = from->Subkey(name);
  }
  return from;
}

RegistryKey::KeyPtr Registry::Create(RegistryKey::KeyPtr from, std::u16string_view path, bool* created) {
  *created = false;
  for (const auto& name : SplitKeyPath(path)) from = from->CreateSubkey(name, created);
  return from;
}

namespace {

struct PredefinedName {
  HKEY key;
  const char16_t* name;
  const char16_t* shortName;
};

const PredefinedName kPredefined[] = {
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {HKEY_USERS, u"HKEY_USERS", u"HKU"},
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HKCU"},
};

}  // namespace

bool PredefinedKeyByName(std::u16string_view name, HKEY* key) {
  for (const auto& p : kPredefined) {
    if (EqualNoCase(name, p.name) || EqualNoCase(name, p.shortName)) {
      *key = p.key;
      return true;
    }
  }
  return false;
}

std::u16string PredefinedKeyName(HKEY key) {
  for (const auto& p : kPredefined)
    if (p.key == key) return p.name;
  return u"";
}

}  // namespace host
