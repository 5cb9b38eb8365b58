#include "task/existing_event_logs.h"

#include <string>

#include "base/exceptions.h"
#include "collect/event_log_info.h"
#include "collect/event_log_key.h"
#include "collect/evt_channels.h"

namespace cmr {
namespace {

// Every channel of the computer with its information; false when the
// session or the channel list cannot be had.
bool ListChannelLogs(const std::u16string& computer, LANGID language, std::vector<LogInfoEntry>& logs) {
  EvtApi& api = ProcessEvtApi();
  if (!api.Load()) return false;
  EvtHandleGuard session(api, OpenSession(api, computer));
  if (!session) return false;
  try {
    for (const std::u16string& path : ListChannels(api, session.get())) {
      LogInfoEntry entry;
      entry.Name = path;
      entry.APIUsed = kApiVista;
      GetChannelInfo(api, session.get(), language, entry);
      logs.push_back(std::move(entry));
    }
  } catch (const Win32Exception&) {
    return false;
  }
  return true;
}

}  // namespace

bool GetExistingEventLogs(const char16_t* computer, LANGID language, std::vector<LogInfoEntry>& logs) {
  bool local = IsLocalComputer(computer);
  std::u16string name = computer != nullptr ? computer : u"";
  if (IsEvtApiAvailable()) {
    std::vector<LogInfoEntry> channels;
    if (ListChannelLogs(name, language, channels)) {
      logs.insert(logs.end(), channels.begin(), channels.end());
      return true;
    }
  }
  return GetEventLogInfo(local, name, language, logs);
}

}  // namespace cmr
