// Identity of the process, its modules and its computer.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/paths.h"
#include "platform/host/host.h"
#include "platform/host/machine/system_version.h"
#include "platform/host/modules/modules.h"

namespace host {
namespace {

std::mutex g_modulesMutex;
std::map<HMODULE, std::string>& Modules() {
  static auto* modules = new std::map<HMODULE, std::string>();
  return *modules;
}

std::string& ExecutableOverride() {
  static auto* path = new std::string();
  return *path;
}

std::string ExecutablePath() {
  {
    std::lock_guard<std::mutex> guard(g_modulesMutex);
    if (!ExecutableOverride().empty()) return ExecutableOverride();
  }
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Copies text with its null into a caller buffer of `size` characters;
// returns the size needed (with the null) when it does not fit.
DWORD CopyOut(const std::u16string& text, LPWSTR buffer, DWORD size) {
  if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return 0;
}

}  // namespace

void RegisterModulePath(HMODULE module, std::string linuxPath) {
  std::lock_guard<std::mutex> guard(g_modulesMutex);
  Modules()[module] = std::move(linuxPath);
}

void SetExecutablePath(std::string linuxPath) {
  std::lock_guard<std::mutex> guard(g_modulesMutex);
  ExecutableOverride() = std::move(linuxPath);
}

void ForgetModule(HMODULE module) {
  std::lock_guard<std::mutex> guard(g_modulesMutex);
  Modules().erase(module);
}

bool ModulePath(HMODULE module, std::string* linuxPath) {
  if (!module) {
    *linuxPath = ExecutablePath();
    return !linuxPath->empty();
  }
  {
    std::lock_guard<std::mutex> guard(g_modulesMutex);
    auto it = Modules().find(module);
    if (it != Modules().end()) {
      *linuxPath = it->second;
      return true;
    }
  }
  Dl_info info;
  if (dladdr(module, &info) && info.dli_fname && info.dli_fname[0] == '/') {
    *linuxPath = info.dli_fname;
    return true;
  }
  return false;
}

}  // namespace host

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

// Small numbers, one per thread, in the order threads first ask.
DWORD GetCurrentThreadId() {
  static std::atomic<DWORD> next{1};
  thread_local DWORD id = next++;
  return id;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  HOST_FAULT_RETURN("GetModuleFileNameW", 0);
  std::string path;
  if (!host::ModulePath(module, &path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::u16string text = host::WindowsPathOf(path);
  if (text.size() + 1 > size) {
    // Truncated and terminated, as Windows Vista and later do.
    if (size > 0) {
      std::memcpy(fileName, text.data(), (size - 1) * sizeof(char16_t));
      fileName[size - 1] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(text.size());
}

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) {
  HOST_FAULT_RETURN("GetComputerNameW", FALSE);
  std::u16string name;
  {
    host::Lock lock;
    name = host::Host::Get().Local().Name();
  }
  if (!size || (!buffer && *size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (DWORD needed = host::CopyOut(name, buffer, *size)) {
    *size = needed;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  *size = static_cast<DWORD>(name.size());
  return TRUE;
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  HOST_FAULT_RETURN("GetVersionExW", FALSE);
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW) &&
                info->dwOSVersionInfoSize != offsetof(OSVERSIONINFOEXW, wServicePackMajor))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  host::Lock lock;
  const auto& v = host::Host::Get().Local().Service<host::SystemVersion>();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platformId;
  std::u16string csd = v.servicePack.substr(0, 127);
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::memcpy(info->szCSDVersion, csd.data(), csd.size() * sizeof(char16_t));
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
    info->wServicePackMajor = v.servicePackMajor;
    info->wServicePackMinor = v.servicePackMinor;
    info->wSuiteMask = v.suiteMask;
    info->wProductType = v.productType;
    info->wReserved = 0;
  }
  return TRUE;
}
