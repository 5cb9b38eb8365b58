// The registry of one simulated computer: keys with case-insensitive names,
// values with their type and bytes (kept in the order they were made), and
// each key's last write time. Keys are shared, so that an open handle keeps a
// deleted key alive and sees it marked deleted.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/api/registry.h"
#include "platform/host/host.h"

namespace host {

struct RegistryValue {
  std::u16string name;  // empty: the key's default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

class RegistryKey {
 public:
  using KeyPtr = std::shared_ptr<RegistryKey>;
  using SubkeyMap = std::map<std::u16string, KeyPtr, NoCaseLess>;

  explicit RegistryKey(std::u16string name);

  const std::u16string& Name() const { return name_; }
  ULONGLONG LastWrite() const { return lastWrite_; }
  bool Deleted() const { return deleted_; }

  const SubkeyMap& Subkeys() const { return subkeys_; }
  KeyPtr Subkey(std::u16string_view name) const;
  KeyPtr CreateSubkey(std::u16string_view name, bool* created);
  // Removes a subkey and marks it and everything below it deleted.
  void RemoveSubkey(std::u16string_view name);

  const std::vector<RegistryValue>& Values() const { return values_; }
  const RegistryValue* Value(std::u16string_view name) const;
  void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
  bool RemoveValue(std::u16string_view name);

 private:
  void MarkDeleted();
  void Touch();

  std::u16string name_;
  ULONGLONG lastWrite_ = 0;
  bool deleted_ = false;
  SubkeyMap subkeys_;
  std::vector<RegistryValue> values_;
};

// A computer's registry, as a Computer service.
class Registry {
 public:
  explicit Registry(Computer&);

  // The key behind a predefined handle: HKEY_LOCAL_MACHINE, HKEY_USERS,
  // HKEY_CLASSES_ROOT (HKLM\SOFTWARE\Classes), HKEY_CURRENT_USER
  // (HKU\.DEFAULT). Null for any other handle.
  RegistryKey::KeyPtr Root(HKEY predefined);

  // A key below `from` by a backslash-separated path; null when missing.
  static RegistryKey::KeyPtr Find(RegistryKey::KeyPtr from, std::u16string_view path);
  static RegistryKey::KeyPtr Create(RegistryKey::KeyPtr from, std::u16string_view path, bool* created);

 private:
  RegistryKey::KeyPtr machine_;
  RegistryKey::KeyPtr users_;
};

// Names of the predefined keys as .reg files and regedit write them
// ("HKEY_LOCAL_MACHINE"), with the short forms ("HKLM") accepted.
bool PredefinedKeyByName(std::u16string_view name, HKEY* key);
std::u16string PredefinedKeyName(HKEY key);

// Splits "A\B\C" into its names; empty names are dropped.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

}  // namespace host
