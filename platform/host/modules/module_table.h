// The modules that LoadLibraryW / LoadLibraryExW hand out, in one table:
// built-in modules (libraries the host implements itself, such as
// Wevtapi.dll, with their exports) and modules loaded from files (message
// DLLs loaded as data files), which keep their own data beside the entry.
// FreeLibrary and GetProcAddress work on every entry of this table.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/api/types.h"

namespace host {

// Exports of a built-in module by name.
using ModuleExports = std::map<std::string, FARPROC>;

// Makes a built-in module loadable by its file name (case-insensitive, with
// or without ".dll", any folder). Replaces an earlier registration.
void RegisterBuiltinModule(const std::u16string& fileName, ModuleExports exports);

// Absent built-in modules fail to load with ERROR_MOD_NOT_FOUND (126), as on
// a computer without the library. Handles already given out stay valid.
void SetBuiltinModuleAbsent(const std::u16string& fileName, bool absent);

// Loads a module that is not built in (LoadLibraryW of any other name). The
// file-module loader installs it; without one such loads fail with 126.
using FileModuleLoader = HMODULE (*)(const std::u16string& name, DWORD flags, DWORD* error);
void SetFileModuleLoader(FileModuleLoader loader);

// Adds a module loaded from a file; `data` is the loader's own state, found
// again with ModuleData(). The entry starts with one reference.
HMODULE AddFileModule(const std::u16string& name, std::shared_ptr<void> data);
// The data of a file module, or null for a built-in or unknown handle.
std::shared_ptr<void> ModuleData(HMODULE module);

// Number of modules currently loaded (all kinds).
size_t LoadedModuleCount();

}  // namespace host
