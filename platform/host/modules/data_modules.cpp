// LoadLibraryExW as a data file, SetErrorMode, and the message-table lookup
// of FormatMessageW.
#include "platform/host/modules/data_modules.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/paths.h"
#include "platform/host/modules/message_modules.h"
#include "platform/host/modules/message_table.h"
#include "platform/host/modules/module_table.h"
#include "platform/host/modules/pe_image.h"

namespace host {
namespace {

constexpr DWORD kAsImageResource = 0x20, kAsDataFileExclusive = 0x40;
constexpr uintmax_t kMaxImageBytes = 256u << 20;

struct DataModule {
  PeImage image;
};

// Data modules by handle. The module table owns them; an entry expires when
// FreeLibrary drops the last reference.
struct DataModules {
  std::mutex mutex;
  std::map<HMODULE, std::weak_ptr<DataModule>> modules;
};

DataModules& Registry() {
  static auto* registry = new DataModules();
  return *registry;
}

// 0 and the module, ERROR_INVALID_HANDLE for a data module that was freed,
// ERROR_RESOURCE_TYPE_NOT_FOUND for any other handle (a built-in module has
// no message table). Handle values are never reused, so a freed handle stays
// recognisable.
DWORD Find(HMODULE module, std::shared_ptr<DataModule>* data) {
  auto& r = Registry();
  std::lock_guard<std::mutex> guard(r.mutex);
  auto it = r.modules.find(module);
  if (it == r.modules.end()) return ERROR_RESOURCE_TYPE_NOT_FOUND;
  *data = it->second.lock();
  return *data ? 0 : ERROR_INVALID_HANDLE;
}

// 0 and the bytes of the file, or the Win32 error of reading it.
DWORD ReadImage(const std::string& path, std::vector<uint8_t>* bytes) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(path, ec))
    return fs::is_directory(fs::path(path).parent_path(), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  if (fs::is_directory(path, ec)) return ERROR_ACCESS_DENIED;
  auto size = fs::file_size(path, ec);
  if (ec || size > kMaxImageBytes) return ERROR_BAD_EXE_FORMAT;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ERROR_ACCESS_DENIED;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? ERROR_READ_FAULT : 0;
}

// The language to read for a request of language 0, or 0xFFFF when the
// module has no message table at all.
WORD DefaultLanguage(const std::vector<WORD>& present) {
  const WORD wanted[] = {0, LANGIDFROMLCID(GetThreadLocale()), GetUserDefaultLangID(), GetSystemDefaultLangID(),
                         MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
  for (WORD language : wanted)
    if (std::find(present.begin(), present.end(), language) != present.end()) return language;
  return present.empty() ? 0xFFFF : present.front();
}

std::atomic<UINT> g_errorMode{0};

[[maybe_unused]] const bool g_lookupRegistered = [] {
  SetModuleMessageLookup(&FindModuleMessage);
  return true;
}();

}  // namespace

DWORD ReadPeFile(const std::string& linuxPath, PeImage* image) {
  std::vector<uint8_t> bytes;
  if (DWORD e = ReadImage(linuxPath, &bytes)) return e;
  return image->Parse(std::move(bytes));
}

DWORD FindModuleMessage(HMODULE module, DWORD messageId, DWORD languageId, std::u16string* text) {
  if (!module) return ERROR_RESOURCE_TYPE_NOT_FOUND;  // the executable has no message table
  std::shared_ptr<DataModule> data;
  if (DWORD e = Find(module, &data)) return e;
  const PeImage& image = data->image;
  WORD language = static_cast<WORD>(languageId);
  if (languageId == 0) {
    std::vector<WORD> present;
    if (DWORD e = image.Languages(kMessageTableType, kMessageTableName, &present)) return e;
    language = DefaultLanguage(present);
    if (language == 0xFFFF) return ERROR_RESOURCE_LANG_NOT_FOUND;
  }
  std::span<const uint8_t> table;
  if (DWORD e = image.Resource(kMessageTableType, kMessageTableName, language, &table)) return e;
  return FindMessage(table, messageId, CP_ACP, text);
}

}  // namespace host

HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
  HOST_FAULT_RETURN("LoadLibraryExW", nullptr);
  if (!name || !*name || file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!(flags & (LOAD_LIBRARY_AS_DATAFILE | host::kAsImageResource | host::kAsDataFileExclusive)))
    return LoadLibraryW(name);
  std::string path;
  DWORD error = host::MapPath(name, &path);
  auto data = std::make_shared<host::DataModule>();
  if (!error) error = host::ReadPeFile(path, &data->image);
  if (error) {
    SetLastError(error);
    return nullptr;
  }
  HMODULE module = host::AddFileModule(name, data);
  auto& registry = host::Registry();
  std::lock_guard<std::mutex> guard(registry.mutex);
  registry.modules[module] = data;
  return module;
}

UINT SetErrorMode(UINT mode) { return host::g_errorMode.exchange(mode); }
