#include "task/computer_info.h"

#include <string>

#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/net.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

// WSAStartup once per process; a failure is remembered and not retried.
void StartSocketsOnce() {
  static const int started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  (void)started;
}

std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  int size = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
  std::string out(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::u16string FromAnsi(const char* text) {
  int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (chars <= 1) return {};
  std::u16string out(chars, u'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, out.data(), chars);
  out.resize(chars - 1);
  return out;
}

// The NetApi calls take a non-const name; NULL is the local computer.
LMSTR ServerName(std::u16string& name) { return name.empty() ? nullptr : plat::W(name.data()); }

DWORD ReadVersion(std::u16string name, ComputerInfoRecord& record) {
  LPBYTE buffer = nullptr;
  DWORD status = NetServerGetInfo(ServerName(name), 101, &buffer);
  if (status == NERR_Success) {
    auto* info = reinterpret_cast<SERVER_INFO_101*>(buffer);
    record.VersionMajor = info->sv101_version_major;
    record.VersionMinor = info->sv101_version_minor;
    record.Type = info->sv101_type;
    NetApiBufferFree(buffer);
  }
  return status;
}

DWORD ReadDomain(std::u16string name, ComputerInfoRecord& record) {
  LPBYTE buffer = nullptr;
  DWORD status = NetWkstaGetInfo(ServerName(name), 100, &buffer);
  if (status != NERR_Success) return status;
  record.Domain = plat::U(reinterpret_cast<WKSTA_INFO_100*>(buffer)->wki100_langroup);
  NetApiBufferFree(buffer);
  PDOMAIN_CONTROLLER_INFOW controller = nullptr;
  status =
      DsGetDcNameW(nullptr, record.Domain.c_str(), nullptr, nullptr, DS_IS_FLAT_NAME | DS_RETURN_DNS_NAME, &controller);
  if (status == ERROR_SUCCESS) {
    record.Domain = plat::U(controller->DomainName);
    NetApiBufferFree(controller);
  }
  return status;
}

// The canonical name of the computer, through the host name its IPv4
// address resolves to when it is given as one; the name as given otherwise.
std::u16string FullNameOf(const std::u16string& name) {
  std::string ansi = ToAnsi(name);
  ULONG address = winsock::inet_addr(ansi.c_str());
  if (address != 0 && address != INADDR_NONE) {
    if (hostent* host = winsock::gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET))
      ansi = host->h_name;
  }
  addrinfo hints{};
  hints.ai_flags = AI_CANONNAME;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  std::u16string fullName = name;
  if (winsock::getaddrinfo(ansi.c_str(), nullptr, &hints, &result) == 0 && result) {
    if (result->ai_canonname) fullName = FromAnsi(result->ai_canonname);
  }
  if (result) winsock::freeaddrinfo(result);
  return fullName;
}

}  // namespace

HRESULT GetComputerInfo(const std::u16string& computerName, ComputerInfoRecord& record) {
  StartSocketsOnce();
  DWORD versionStatus = ReadVersion(computerName, record);
  DWORD domainStatus = ReadDomain(computerName, record);
  if (versionStatus != 0)
    Trace(10, u"Failed to get computer version info: %s (code=%d)", Win32ErrorText(versionStatus), versionStatus);
  if (domainStatus != 0)
    Trace(10, u"Failed to get computer domain info: %s (code=%d)", Win32ErrorText(domainStatus), domainStatus);
  record.FullName = FullNameOf(computerName);
  DWORD error = versionStatus != 0 ? versionStatus : domainStatus;
  return HRESULT_FROM_WIN32(error);
}

}  // namespace cmr
