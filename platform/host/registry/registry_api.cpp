// The registry calls over the registry model of each computer. Handles are
// per process; the predefined handles are the local computer's roots.
#include <cstring>
#include <map>

#include "platform/api/registry.h"
#include "platform/host/faults/faults.h"
#include "platform/host/registry/registry_model.h"

namespace {

using host::Registry;
using host::RegistryKey;
using KeyPtr = RegistryKey::KeyPtr;

std::map<uintptr_t, KeyPtr>& OpenKeys() {
  static auto* keys = new std::map<uintptr_t, KeyPtr>();
  return *keys;
}

bool IsPredefined(HKEY key) {
  auto v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key));
  return v >= 0x80000000u && v <= 0x80000003u;
}

// The key behind a handle; sets `error` to 6 for an unknown handle and 1018
// for a key deleted since the handle was opened.
KeyPtr KeyOf(HKEY handle, LONG* error) {
  KeyPtr key;
  if (IsPredefined(handle)) {
    key = host::Host::Get().Local().Service<Registry>().Root(handle);
  } else {
    auto it = OpenKeys().find(reinterpret_cast<uintptr_t>(handle));
    if (it != OpenKeys().end()) key = it->second;
  }
  *error = !key ? ERROR_INVALID_HANDLE : key->Deleted() ? ERROR_KEY_DELETED : ERROR_SUCCESS;
  return *error ? nullptr : key;
}

HKEY NewHandle(KeyPtr key) {
  static uintptr_t next = 0x1000;
  next += 4;
  OpenKeys()[next] = std::move(key);
  return reinterpret_cast<HKEY>(next);
}

bool BadPath(LPCWSTR subKey) { return subKey && (subKey[0] == u'\\'); }

std::u16string_view NameOf(LPCWSTR name) { return name ? std::u16string_view(name) : std::u16string_view(); }

// The data half of the query protocol: size only, too small (234 with the
// size needed), or copied.
LONG CopyData(const host::RegistryValue& v, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (type) *type = v.type;
  DWORD size = static_cast<DWORD>(v.data.size());
  if (!data) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (!dataSize) return ERROR_INVALID_PARAMETER;
  DWORD room = *dataSize;
  *dataSize = size;
  if (room < size) return ERROR_MORE_DATA;
  if (size) std::memcpy(data, v.data.data(), size);
  return ERROR_SUCCESS;
}

// The name half of the enumeration protocol: sizes in characters, the null
// counted on the way in and not on the way out.
LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD size) {
  if (!buffer || !size) return ERROR_INVALID_PARAMETER;
  if (*size < name.size() + 1) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (DWORD e = HOST_FAULT("RegOpenKeyExW")) return static_cast<LONG>(e);
  if (!result) return ERROR_INVALID_PARAMETER;
  host::Lock lock;
  LONG error;
  KeyPtr base = KeyOf(key, &error);
  if (!base) return error;
  if (BadPath(subKey)) return ERROR_BAD_PATHNAME;
  KeyPtr found = Registry::Find(base, NameOf(subKey));
  if (!found) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(found);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY result,
                     LPDWORD disposition) {
  if (DWORD e = HOST_FAULT("RegCreateKeyExW")) return static_cast<LONG>(e);
  if (!result) return ERROR_INVALID_PARAMETER;
  host::Lock lock;
  LONG error;
  KeyPtr base = KeyOf(key, &error);
  if (!base) return error;
  if (BadPath(subKey)) return ERROR_BAD_PATHNAME;
  bool created = false;
  KeyPtr made = Registry::Create(base, NameOf(subKey), &created);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(made);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (DWORD e = HOST_FAULT("RegQueryValueExW")) return static_cast<LONG>(e);
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  const host::RegistryValue* v = k->Value(NameOf(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  return CopyData(*v, type, data, dataSize);
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  if (DWORD e = HOST_FAULT("RegSetValueExW")) return static_cast<LONG>(e);
  if (!data && dataSize) return ERROR_NOACCESS;
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  k->SetValue(NameOf(valueName), type, std::vector<BYTE>(data, data + dataSize));
  return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  if (DWORD e = HOST_FAULT("RegDeleteValueW")) return static_cast<LONG>(e);
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  return k->RemoveValue(NameOf(valueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

namespace {

// The parent of the key at `subKey` below `key`, and the key's own name.
LONG ParentAndName(HKEY key, LPCWSTR subKey, KeyPtr* parent, std::u16string* name) {
  LONG error;
  KeyPtr base = KeyOf(key, &error);
  if (!base) return error;
  auto names = host::SplitKeyPath(NameOf(subKey));
  if (names.empty()) return ERROR_ACCESS_DENIED;  // a root, or the handle's own key
  *name = names.back();
  names.pop_back();
  for (const auto& n : names) {
    base = base->Subkey(n);
    if (!base) return ERROR_FILE_NOT_FOUND;
  }
  if (!base->Subkey(*name)) return ERROR_FILE_NOT_FOUND;
  *parent = base;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (DWORD e = HOST_FAULT("RegDeleteKeyW")) return static_cast<LONG>(e);
  if (!subKey) return ERROR_INVALID_PARAMETER;
  host::Lock lock;
  KeyPtr parent;
  std::u16string name;
  if (LONG e = ParentAndName(key, subKey, &parent, &name)) return e;
  if (!parent->Subkey(name)->Subkeys().empty()) return ERROR_ACCESS_DENIED;
  parent->RemoveSubkey(name);
  return ERROR_SUCCESS;
}

LONG RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
  if (DWORD e = HOST_FAULT("RegDeleteTreeW")) return static_cast<LONG>(e);
  host::Lock lock;
  if (subKey && *subKey) {
    KeyPtr parent;
    std::u16string name;
    if (LONG e = ParentAndName(key, subKey, &parent, &name)) return e;
    parent->RemoveSubkey(name);
    return ERROR_SUCCESS;
  }
  // No subkey: the key's values and subkeys go, the key stays.
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  while (!k->Subkeys().empty()) k->RemoveSubkey(k->Subkeys().begin()->first);
  while (!k->Values().empty()) k->RemoveValue(k->Values().front().name);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPWSTR className, LPDWORD classSize,
                   PFILETIME lastWriteTime) {
  if (DWORD e = HOST_FAULT("RegEnumKeyExW")) return static_cast<LONG>(e);
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  if (index >= k->Subkeys().size()) return ERROR_NO_MORE_ITEMS;
  auto it = std::next(k->Subkeys().begin(), index);
  if (LONG e = CopyName(it->second->Name(), name, nameSize)) return e;
  if (className && classSize && *classSize) className[0] = 0;
  if (classSize) *classSize = 0;
  if (lastWriteTime) {
    ULONGLONG t = it->second->LastWrite();
    *lastWriteTime = FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  }
  return ERROR_SUCCESS;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
  if (DWORD e = HOST_FAULT("RegEnumValueW")) return static_cast<LONG>(e);
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  if (index >= k->Values().size()) return ERROR_NO_MORE_ITEMS;
  const host::RegistryValue& v = k->Values()[index];
  if (LONG e = CopyName(v.name, name, nameSize)) return e;
  return CopyData(v, type, data, dataSize);
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR className, LPDWORD classSize, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLen,
                      LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
                      LPDWORD securityDescriptor, PFILETIME lastWriteTime) {
  if (DWORD e = HOST_FAULT("RegQueryInfoKeyW")) return static_cast<LONG>(e);
  host::Lock lock;
  LONG error;
  KeyPtr k = KeyOf(key, &error);
  if (!k) return error;
  if (className && classSize && *classSize) className[0] = 0;
  if (classSize) *classSize = 0;
  if (maxClassLen) *maxClassLen = 0;
  if (subKeys) *subKeys = static_cast<DWORD>(k->Subkeys().size());
  if (values) *values = static_cast<DWORD>(k->Values().size());
  DWORD longestKey = 0, longestName = 0, largestData = 0;
  for (const auto& [name, sub] : k->Subkeys()) longestKey = std::max(longestKey, static_cast<DWORD>(name.size()));
  for (const auto& v : k->Values()) {
    longestName = std::max(longestName, static_cast<DWORD>(v.name.size()));
    largestData = std::max(largestData, static_cast<DWORD>(v.data.size()));
  }
  if (maxSubKeyLen) *maxSubKeyLen = longestKey;
  if (maxValueNameLen) *maxValueNameLen = longestName;
  if (maxValueLen) *maxValueLen = largestData;
  if (securityDescriptor) *securityDescriptor = 0;
  if (lastWriteTime) {
    ULONGLONG t = k->LastWrite();
    *lastWriteTime = FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  }
  return ERROR_SUCCESS;
}

LONG RegConnectRegistryW(LPCWSTR machineName, HKEY key, PHKEY result) {
  if (DWORD e = HOST_FAULT("RegConnectRegistryW")) return static_cast<LONG>(e);
  if (!result) return ERROR_INVALID_PARAMETER;
  if (key != HKEY_LOCAL_MACHINE && key != HKEY_USERS) return ERROR_INVALID_HANDLE;
  host::Lock lock;
  host::Computer* computer = host::Host::Get().Find(NameOf(machineName));
  if (!computer || !computer->Reachable()) return ERROR_BAD_NETPATH;
  *result = NewHandle(computer->Service<Registry>().Root(key));
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (DWORD e = HOST_FAULT("RegCloseKey")) return static_cast<LONG>(e);
  if (IsPredefined(key)) return ERROR_SUCCESS;
  host::Lock lock;
  return OpenKeys().erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
