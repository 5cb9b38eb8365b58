#include "collect/registry_text.h"

#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "collect/event_log_key.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

constexpr DWORD kErrorInvalidDatatype = 1804;
constexpr char16_t kCurrentVersionKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

}  // namespace

std::u16string ReadRegistryString(HKEY key, const char16_t* name) {
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

std::u16string ExpandEnvironment(const std::u16string& text) {
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

std::u16string ComputerSystemRoot(const std::u16string& computer, bool isLocal) {
  HKEY key = nullptr;
  ThrowIfError(OpenComputerKey(isLocal ? nullptr : computer.c_str(), kCurrentVersionKey, KEY_QUERY_VALUE, &key));
  KeyGuard guard(key);
  std::u16string root = ReadRegistryString(key, u"SystemRoot");
  if (root.empty() || root.back() != u'\\') root += u'\\';
  return root;
}

}  // namespace cmr
