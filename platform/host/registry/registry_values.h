// Typed reads and writes of values on the host's registry model, for host
// code that sets up or reads a computer's configuration directly.
#pragma once

#include <string>
#include <string_view>

#include "platform/host/registry/registry_model.h"

namespace host {

// A REG_DWORD (or a REG_BINARY of at least 4 bytes); false when absent.
bool ReadDwordValue(const RegistryKey& key, std::u16string_view name, DWORD* out);
// A REG_SZ or REG_EXPAND_SZ without its terminating nulls; false when absent.
bool ReadStringValue(const RegistryKey& key, std::u16string_view name, std::u16string* out);

void SetDwordValue(RegistryKey& key, std::u16string_view name, DWORD value);
// REG_SZ or REG_EXPAND_SZ, stored with its terminating null.
void SetStringValue(RegistryKey& key, std::u16string_view name, std::u16string_view value, DWORD type = REG_SZ);
// REG_MULTI_SZ: each string with its null, and a closing null.
void SetMultiStringValue(RegistryKey& key, std::u16string_view name, const std::vector<std::u16string>& values);

}  // namespace host
