// EvtOpenSession, EvtClose, and the channel enumeration.
#include "platform/api/kernel.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"
#include "platform/host/net/reachable.h"

using namespace host::evt;

EVT_HANDLE WINAPI EvtOpenSession(int loginClass, PVOID login, DWORD /*timeout*/, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenSession")) return FailHandle(e);
  if (loginClass != EvtRpcLogin || !login || flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  auto* rpc = static_cast<EVT_RPC_LOGIN*>(login);
  host::Lock lock;
  std::u16string server = rpc->Server ? std::u16string(rpc->Server) : std::u16string();
  if (!host::ReachableComputer(server)) return FailHandle(RPC_S_SERVER_UNAVAILABLE);
  auto session = std::make_shared<Session>();
  session->server = server;
  return Add(session);
}

BOOL WINAPI EvtClose(EVT_HANDLE object) {
  if (DWORD e = HOST_FAULT("EvtClose")) return Fail(e);
  if (!Close(object)) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

EVT_HANDLE WINAPI EvtOpenChannelEnum(EVT_HANDLE session, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenChannelEnum")) return FailHandle(e);
  if (flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  DWORD error = 0;
  host::Computer* computer = SessionComputer(session, &error);
  if (!computer) return FailHandle(error);
  auto channels = std::make_shared<ChannelEnum>();
  channels->names = host::EventLogOf(*computer).ChannelNames();
  return Add(channels);
}

BOOL WINAPI EvtNextChannelPath(EVT_HANDLE channelEnum, DWORD bufferSize, LPWSTR buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtNextChannelPath")) return Fail(e);
  host::Lock lock;
  auto channels = As<ChannelEnum>(channelEnum);
  if (!channels) return Fail(ERROR_INVALID_HANDLE);
  if (!bufferUsed) return Fail(ERROR_INVALID_PARAMETER);
  if (channels->next >= channels->names.size()) return Fail(ERROR_NO_MORE_ITEMS);
  if (DWORD e = CopyText(channels->names[channels->next], bufferSize, buffer, bufferUsed)) return Fail(e);
  ++channels->next;
  return TRUE;
}

namespace host {

size_t OpenEvtHandleCount() { return OpenCount(); }

}  // namespace host
