// The channel operations of the Windows Event Log binding: existence, the
// channel list and a channel's log file path.
#include <vector>

#include "base/exceptions.h"
#include "base/text.h"
#include "collect/evt_channels.h"
#include "platform/api/wide.h"
#include "render/evt_property_buffer.h"

namespace cmr {

namespace {

// The next channel path into `path`: 0, or the error (259 at the end). The
// buffer grows to the size asked whenever the library answers 122.
DWORD NextChannelPath(const EvtApi& api, EVT_HANDLE channels, std::vector<WCHAR>& buffer, std::u16string* path) {
  for (;;) {
    DWORD used = 0;
    if (api.EvtNextChannelPath(channels, static_cast<DWORD>(buffer.size()), buffer.data(), &used)) {
      *path = plat::U(buffer.data());
      return 0;
    }
    DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) return error;
    buffer.resize(used);
  }
}

}  // namespace

bool ChannelExists(const EvtApi& api, const std::u16string& computer, const std::u16string& name, bool* found) {
  *found = false;
  if (!api.IsLoaded() || !api.EvtOpenChannelEnum || !api.EvtNextChannelPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  EVT_HANDLE session = OpenSession(api, computer);
  if (!session) return false;
  EVT_HANDLE channels = api.EvtOpenChannelEnum(session, 0);
  DWORD error = channels ? 0 : GetLastError();
  std::vector<WCHAR> buffer(256);
  std::u16string path;
  while (channels && (error = NextChannelPath(api, channels, buffer, &path)) == 0) {
    if (cmr::EqualNoCase(path, name)) {
      *found = true;
      break;
    }
  }
  CloseEvtHandle(api, channels);
  CloseEvtHandle(api, session);
  if (*found || error == ERROR_NO_MORE_ITEMS) {
    SetLastError(0);
    return true;
  }
  SetLastError(error);
  return false;
}

std::vector<std::u16string> ListChannels(const EvtApi& api, EVT_HANDLE session) {
  if (!api.EvtOpenChannelEnum || !api.EvtNextChannelPath) throw cmr::Win32Exception(ERROR_PROC_NOT_FOUND);
  EVT_HANDLE channels = api.EvtOpenChannelEnum(session, 0);
  cmr::ThrowLastErrorIfFalse(channels);
  std::vector<std::u16string> names;
  std::vector<WCHAR> buffer(256);
  std::u16string path;
  DWORD error = 0;
  while ((error = NextChannelPath(api, channels, buffer, &path)) == 0) names.push_back(path);
  CloseEvtHandle(api, channels);
  if (error != ERROR_NO_MORE_ITEMS) throw cmr::Win32Exception(error);
  return names;
}

std::u16string GetChannelLogFilePath(const EvtApi& api, const std::u16string& computer, const std::u16string& name) {
  if (!api.EvtOpenChannelConfig || !api.EvtGetChannelConfigProperty) throw cmr::Win32Exception(ERROR_PROC_NOT_FOUND);
  EVT_HANDLE session = OpenSession(api, computer);
  cmr::ThrowLastErrorIfFalse(session);
  EVT_HANDLE config = api.EvtOpenChannelConfig(session, plat::W(name.c_str()), 0);
  DWORD error = config ? 0 : GetLastError();
  EvtPropertyBuffer buffer;
  if (config && !buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
        return api.EvtGetChannelConfigProperty(config, EvtChannelLoggingConfigLogFilePath, 0, size, data, used);
      })) {
    error = GetLastError();
  }
  CloseEvtHandle(api, config);
  CloseEvtHandle(api, session);
  cmr::ThrowIfError(error);
  return VariantString(buffer.Value());
}

}  // namespace cmr
