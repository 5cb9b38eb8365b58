#include "collect/host_name_cache.h"

#include <vector>

#include "platform/api/kernel.h"
#include "platform/api/net.h"

namespace cmr {
namespace {

int StartSockets() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data);
}

std::string ToAnsi(const std::u16string& text) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer.data(), bytes, nullptr, nullptr);
  return std::string(buffer.data());
}

std::u16string FromAnsi(const char* text) {
  int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (chars <= 0) return {};
  std::vector<char16_t> buffer(static_cast<size_t>(chars));
  MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.data(), chars);
  return std::u16string(buffer.data());
}

// The official name of the host, "" (last error = the socket error) when unknown.
std::u16string LookUp(const std::u16string& name) {
  const std::string ansi = ToAnsi(name);
  const ULONG address = inet_addr(ansi.c_str());
  hostent* entry = nullptr;
  if (address != 0 && address != INADDR_NONE) {
    entry = gethostbyaddr(reinterpret_cast<const char*>(&address), sizeof address, AF_INET);
  } else {
    entry = gethostbyname(ansi.c_str());
  }
  if (entry == nullptr || entry->h_name == nullptr) {
    SetLastError(static_cast<DWORD>(WSAGetLastError()));
    return {};
  }
  return FromAnsi(entry->h_name);
}

}  // namespace

HostNameCache::HostNameCache() {
  static const int startup = StartSockets();
  startup_ = startup;
}

std::u16string HostNameCache::Resolve(const std::u16string& name) {
  if (startup_ != 0) return {};
  auto known = names_.find(name);
  if (known != names_.end()) return known->second;
  std::u16string resolved = LookUp(name);
  names_.emplace(name, resolved);
  return resolved;
}

}  // namespace cmr
