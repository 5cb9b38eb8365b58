#include "collect/log_display_name.h"

#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "base/text.h"
#include "collect/registry_text.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

DWORD ReadDword(HKEY key, const char16_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  ThrowIfError(RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size));
  return value;
}

// Frees a module loaded as a data file at the end of a scope.
class DataModule {
 public:
  explicit DataModule(const std::u16string& path)
      : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    ThrowLastErrorIfFalse(module_);
  }
  ~DataModule() { FreeLibrary(module_); }
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

std::u16string FormatModuleMessage(HMODULE module, DWORD id, LANGID language) {
  LPWSTR text = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER, module, id, language,
                                reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  ThrowLastErrorIfFalse(length != 0);
  std::u16string message(plat::U(text), length);
  LocalFree(text);
  return message;
}

}  // namespace

DWORD MapPathToComputer(bool isLocal, const char16_t* computer, const std::u16string& path, std::u16string& mapped) {
  try {
    if (isLocal) {
      mapped = ExpandEnvironment(path);
      return 0;
    }
    std::u16string text = path;
    ReplaceAll(text, u"%SystemRoot%", u"ADMIN$");
    text = ExpandEnvironment(text);
    ReplaceAll(text, u":", u"$");
    mapped = u"\\\\" + std::u16string(computer ? computer : u"") + u"\\" + text;
    return 0;
  } catch (const Win32Exception& e) {
    return static_cast<DWORD>(e.Code());
  }
}

DWORD GetLogDisplayName(bool isLocal, const char16_t* computer, HKEY logKey, LANGID language,
                        std::u16string& displayName) {
  try {
    const std::u16string file = ReadRegistryString(logKey, u"DisplayNameFile");
    const DWORD id = ReadDword(logKey, u"DisplayNameID");
    std::u16string path;
    ThrowIfError(MapPathToComputer(isLocal, computer, file, path));
    SetErrorMode(SEM_FAILCRITICALERRORS);
    DataModule module(path);
    std::u16string text = FormatModuleMessage(module.get(), id, language);
    ReplaceAll(text, u"\r\n", u"");
    displayName = text;
    return 0;
  } catch (const Win32Exception& e) {
    return static_cast<DWORD>(e.Code());
  }
}

}  // namespace cmr
