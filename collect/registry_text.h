// Texts of a computer's configuration: string values of its registry and
// paths with environment variables.
#pragma once

#include <string>

#include "platform/api/registry.h"

namespace cmr {

// Closes a registry key at the end of a scope.
class KeyGuard {
 public:
  explicit KeyGuard(HKEY key) : key_(key) {}
  ~KeyGuard() {
    if (key_) RegCloseKey(key_);
  }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

 private:
  HKEY key_;
};

// A string value (REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ, its first string).
// Raises cmr::Win32Exception: the registry's code, 1804 for another type.
std::u16string ReadRegistryString(HKEY key, const char16_t* name);

// The text with this process's environment variables expanded
// (ExpandEnvironmentStringsW); raises cmr::Win32Exception on failure.
std::u16string ExpandEnvironment(const std::u16string& text);

// The computer's system root ("C:\\Windows\\", ending with a backslash) from
// its registry, the local one when isLocal. Raises cmr::Win32Exception.
std::u16string ComputerSystemRoot(const std::u16string& computer, bool isLocal);

}  // namespace cmr
