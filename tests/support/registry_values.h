// Registry values a test sets before the code under test reads them (the
// key is created when missing, on the local computer or on `computer`), and
// the texts it reads back.
#pragma once

#include <string>

#include "platform/api/registry.h"

namespace testsupport {

// Writes the value's bytes; false when the key cannot be created or written.
inline bool SetRegistryValue(const std::u16string& path, const char16_t* name, DWORD type, const void* data, DWORD size,
                             const char16_t* computer = nullptr) {
  HKEY machine = HKEY_LOCAL_MACHINE, key = nullptr;
  if (computer && RegConnectRegistryW(computer, HKEY_LOCAL_MACHINE, &machine) != 0) return false;
  bool written = RegCreateKeyExW(machine, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == 0 &&
                 RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == 0;
  if (key) RegCloseKey(key);
  if (computer) RegCloseKey(machine);
  return written;
}

// A REG_SZ (or REG_EXPAND_SZ) value.
inline bool SetRegistryString(const std::u16string& path, const char16_t* name, const std::u16string& value,
                              DWORD type = REG_SZ, const char16_t* computer = nullptr) {
  return SetRegistryValue(path, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)),
                          computer);
}

inline bool SetRegistryDword(const std::u16string& path, const char16_t* name, DWORD value) {
  return SetRegistryValue(path, name, REG_DWORD, &value, sizeof value);
}

// A REG_SZ value under `root`: "<no key>" or "<no value>" when it is not there.
inline std::u16string RegistryText(HKEY root, const std::u16string& path, const char16_t* name = nullptr) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
  char16_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(char16_t), type = 0;
  LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::u16string(buffer) : u"<no value>";
}

}  // namespace testsupport
