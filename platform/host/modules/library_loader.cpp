// LoadLibraryW, GetProcAddress and FreeLibrary over the host's module table.
#include <algorithm>
#include <mutex>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/modules/module_table.h"

namespace host {
namespace {

struct ModuleEntry {
  std::u16string key;  // lower-case file name for built-ins; the name as loaded for files
  bool builtin = false;
  unsigned references = 0;
  const ModuleExports* exports = nullptr;
  std::shared_ptr<void> data;
};

struct Builtin {
  ModuleExports exports;
  bool absent = false;
};

struct ModuleTable {
  std::mutex mutex;
  std::map<std::u16string, Builtin> builtins;  // by lower-case file name with ".dll"
  std::map<uintptr_t, ModuleEntry> loaded;
  uintptr_t next = 1;
  FileModuleLoader fileLoader = nullptr;

  HMODULE Add(ModuleEntry entry) {
    uintptr_t value = 0x7E000000u + (next++ << 12);
    loaded[value] = std::move(entry);
    return reinterpret_cast<HMODULE>(value);
  }
  ModuleEntry* Find(HMODULE module) {
    auto it = loaded.find(reinterpret_cast<uintptr_t>(module));
    return it == loaded.end() ? nullptr : &it->second;
  }
};

ModuleTable& Table() {
  static auto* table = new ModuleTable();
  return *table;
}

// "C:\Windows\System32\WEVTAPI" -> "wevtapi.dll"
std::u16string BuiltinKey(std::u16string_view name) {
  size_t slash = name.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) name.remove_prefix(slash + 1);
  std::u16string key(name);
  for (auto& c : key) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  if (key.find(u'.') == std::u16string::npos) key += u".dll";
  return key;
}

}  // namespace

void RegisterBuiltinModule(const std::u16string& fileName, ModuleExports exports) {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  t.builtins[BuiltinKey(fileName)].exports = std::move(exports);
}

void SetBuiltinModuleAbsent(const std::u16string& fileName, bool absent) {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  t.builtins[BuiltinKey(fileName)].absent = absent;
}

void SetFileModuleLoader(FileModuleLoader loader) {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  t.fileLoader = loader;
}

HMODULE AddFileModule(const std::u16string& name, std::shared_ptr<void> data) {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  ModuleEntry entry;
  entry.key = name;
  entry.references = 1;
  entry.data = std::move(data);
  return t.Add(std::move(entry));
}

std::shared_ptr<void> ModuleData(HMODULE module) {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  ModuleEntry* entry = t.Find(module);
  return entry ? entry->data : nullptr;
}

size_t LoadedModuleCount() {
  auto& t = Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  return t.loaded.size();
}

}  // namespace host

HMODULE LoadLibraryW(LPCWSTR name) {
  HOST_FAULT_RETURN("LoadLibraryW", nullptr);
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto& t = host::Table();
  host::FileModuleLoader loader = nullptr;
  {
    std::lock_guard<std::mutex> guard(t.mutex);
    std::u16string key = host::BuiltinKey(name);
    auto builtin = t.builtins.find(key);
    if (builtin != t.builtins.end()) {
      if (builtin->second.absent) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
      }
      for (auto& [value, entry] : t.loaded) {
        if (entry.builtin && entry.key == key) {
          ++entry.references;
          return reinterpret_cast<HMODULE>(value);
        }
      }
      host::ModuleEntry entry;
      entry.key = key;
      entry.builtin = true;
      entry.references = 1;
      entry.exports = &builtin->second.exports;
      return t.Add(std::move(entry));
    }
    loader = t.fileLoader;
  }
  if (!loader) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  DWORD error = ERROR_MOD_NOT_FOUND;
  HMODULE module = loader(name, 0, &error);
  if (!module) SetLastError(error);
  return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  HOST_FAULT_RETURN("GetProcAddress", nullptr);
  auto& t = host::Table();
  std::lock_guard<std::mutex> guard(t.mutex);
  host::ModuleEntry* entry = t.Find(module);
  if (!entry) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Ordinals (a "name" below 0x10000) are not exported by the host's modules.
  if (!entry->exports || reinterpret_cast<uintptr_t>(name) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  auto it = entry->exports->find(name);
  if (it == entry->exports->end()) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return it->second;
}

BOOL FreeLibrary(HMODULE module) {
  HOST_FAULT_RETURN("FreeLibrary", FALSE);
  auto& t = host::Table();
  std::shared_ptr<void> released;  // dropped after the lock
  std::lock_guard<std::mutex> guard(t.mutex);
  host::ModuleEntry* entry = t.Find(module);
  if (!entry) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--entry->references == 0) {
    released = std::move(entry->data);
    t.loaded.erase(reinterpret_cast<uintptr_t>(module));
  }
  return TRUE;
}
