// WSAStartup, WSACleanup and the socket error of the thread.
#include <atomic>
#include <cstring>

#include "platform/api/kernel.h"
#include "platform/api/net.h"
#include "platform/host/faults/faults.h"
#include "platform/host/net/name_resolution.h"

namespace {

std::atomic<int> g_started{0};
constexpr int kSocketError = -1;

}  // namespace

namespace host {
bool SocketsStarted() { return g_started.load() > 0; }
}  // namespace host

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  if (DWORD e = HOST_FAULT("WSAStartup")) return static_cast<int>(e);
  if (!data) return WSAEFAULT;
  BYTE major = static_cast<BYTE>(versionRequested & 0xFF), minor = static_cast<BYTE>(versionRequested >> 8);
  if (major < 1) return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  data->wHighVersion = MAKEWORD(2, 2);
  data->wVersion = (major > 2 || (major == 2 && minor >= 2)) ? MAKEWORD(2, 2) : versionRequested;
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  ++g_started;
  return 0;
}

int WSACleanup() {
  HOST_FAULT_RETURN("WSACleanup", kSocketError);
  int now = g_started.load();
  while (now > 0 && !g_started.compare_exchange_weak(now, now - 1)) {
  }
  if (now <= 0) {
    SetLastError(WSANOTINITIALISED);
    return kSocketError;
  }
  return 0;
}

// As on Windows, the socket error is the thread's last error.
int WSAGetLastError() { return static_cast<int>(GetLastError()); }
void WSASetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }
