// Environment variables of the local computer, their expansion, and the
// temporary folder.
#include <cstring>
#include <string>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"

namespace {

std::u16string Expand(std::u16string_view source) {
  auto& env = host::Host::Get().Local().Environment();
  std::u16string out;
  size_t i = 0;
  while (i < source.size()) {
    size_t close = source[i] == u'%' ? source.find(u'%', i + 1) : std::u16string_view::npos;
    if (close == std::u16string_view::npos) {
      out.push_back(source[i++]);
      continue;
    }
    auto it = env.find(source.substr(i + 1, close - i - 1));
    if (close > i + 1 && it != env.end()) {
      out += it->second;
      i = close + 1;
    } else {
      // An unknown name stays as written, both percent signs included.
      out.append(source.substr(i, close - i + 1));
      i = close + 1;
    }
  }
  return out;
}

}  // namespace

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  HOST_FAULT_RETURN("GetEnvironmentVariableW", 0);
  host::Lock lock;
  auto& env = host::Host::Get().Local().Environment();
  auto it = name ? env.find(std::u16string_view(name)) : env.end();
  if (it == env.end()) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const std::u16string& value = it->second;
  if (!buffer || value.size() + 1 > size) return static_cast<DWORD>(value.size() + 1);
  std::memcpy(buffer, value.c_str(), (value.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value) {
  HOST_FAULT_RETURN("SetEnvironmentVariableW", FALSE);
  if (!name || !*name || std::u16string_view(name).find(u'=') != std::u16string_view::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  host::Lock lock;
  auto& env = host::Host::Get().Local().Environment();
  if (value) {
    env[name] = value;
  } else {
    env.erase(std::u16string(name));
  }
  return TRUE;
}

DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size) {
  HOST_FAULT_RETURN("ExpandEnvironmentStringsW", 0);
  if (!source) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string out;
  {
    host::Lock lock;
    out = Expand(source);
  }
  DWORD needed = static_cast<DWORD>(out.size() + 1);
  if (destination && needed <= size) std::memcpy(destination, out.c_str(), needed * sizeof(char16_t));
  return needed;
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
  HOST_FAULT_RETURN("GetTempPathW", 0);
  std::u16string path;
  {
    host::Lock lock;
    auto& env = host::Host::Get().Local().Environment();
    for (const char16_t* name : {u"TMP", u"TEMP", u"USERPROFILE", u"SystemRoot"}) {
      auto it = env.find(std::u16string_view(name));
      if (it != env.end() && !it->second.empty()) {
        path = it->second;
        break;
      }
    }
  }
  if (path.empty()) path = u"C:\\Windows";
  if (path.back() != u'\\') path.push_back(u'\\');
  if (!buffer || path.size() + 1 > size) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(path.size());
}
