#include <vector>

#include "collect/evt_channels.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {

bool FormatPublisherMessage(const EvtApi& api, EVT_HANDLE metadata, DWORD messageId, std::u16string* text) {
  std::vector<WCHAR> buffer(256);
  DWORD used = 0;
  auto format = [&] {
    return api.EvtFormatMessage(metadata, nullptr, messageId, 0, nullptr, EvtFormatMessageId,
                                static_cast<DWORD>(buffer.size()), buffer.data(), &used) != FALSE;
  };
  bool ok = format();
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(used);
    ok = format();
  }
  DWORD error = ok ? 0 : GetLastError();
  if (ok || error == ERROR_EVT_UNRESOLVED_VALUE_INSERT || error == ERROR_EVT_UNRESOLVED_PARAMETER_INSERT) {
    *text = plat::U(buffer.data());
  }
  SetLastError(error);
  return ok;
}

}  // namespace cmr
