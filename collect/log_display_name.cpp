#include "collect/log_display_name.h"

#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

constexpr DWORD kErrorInvalidDatatype = 1804;

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::u16string ExpandLocal(const std::u16string& text) {
  DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  for (;;) {
    ThrowLastErrorIfFalse(size != 0);
    std::vector<char16_t> buffer(size);
    DWORD used = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), size);
    ThrowLastErrorIfFalse(used != 0);
    if (used <= size) return std::u16string(buffer.data());
    size = used;
  }
}

// A string value (REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ, its first string).
std::u16string ReadString(HKEY key, const char16_t* name) {
  std::vector<BYTE> data(256);
  DWORD type = 0;
  LONG status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    DWORD size = static_cast<DWORD>(data.size());
    status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) data.resize(size + sizeof(char16_t));
    if (status == ERROR_SUCCESS) data.resize(size);
  }
  ThrowIfError(status);
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) throw Win32Exception(kErrorInvalidDatatype);
  std::u16string text(data.size() / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * 2);
  return std::u16string(text.c_str());
}

DWORD ReadDword(HKEY key, const char16_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  ThrowIfError(RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size));
  return value;
}

// Frees a module loaded as a data file at the end of a scope.
class DataModule {
 public:
  explicit DataModule(const std::u16string& path) : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
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
  std::u16string message(text, length);
  LocalFree(text);
  return message;
}

}  // namespace

DWORD MapPathToComputer(bool isLocal, const char16_t* computer, const std::u16string& path, std::u16string& mapped) {
  try {
    if (isLocal) {
      mapped = ExpandLocal(path);
      return 0;
    }
    std::u16string text = path;
    ReplaceAll(text, u"%SystemRoot%", u"ADMIN$");
    text = ExpandLocal(text);
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
    const std::u16string file = ReadString(logKey, u"DisplayNameFile");
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
