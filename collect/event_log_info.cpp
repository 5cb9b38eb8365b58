#include "collect/event_log_info.h"

#include "base/trace.h"
#include "collect/event_log_list.h"
#include "collect/log_display_name.h"
#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

LogInfoEntry ClassicEntry(const std::u16string& name, DWORD records) {
  LogInfoEntry entry;
  entry.Name = name;
  entry.API = kApiClassic;
  entry.APIUsed = kApiClassic;
  entry.ChannelType = 0;
  entry.Enabled = 1;
  entry.NumOfRecords = records;
  return entry;
}

// The display name of a log, when its key and message file tell it.
void AddDisplayName(bool isLocal, const char16_t* computer, LANGID language, LogInfoEntry& entry) {
  HKEY key = nullptr;
  if (OpenEventLogKey(computer, entry.Name, &key) != ERROR_SUCCESS) return;
  std::u16string displayName;
  if (GetLogDisplayName(isLocal, computer, key, language, displayName) == 0) entry.DisplayName = displayName;
  RegCloseKey(key);
}

}  // namespace

bool GetEventLogInfo(bool isLocal, const std::u16string& computer, LANGID language,
                     std::vector<LogInfoEntry>& entries) {
  const char16_t* target = isLocal ? nullptr : computer.c_str();
  std::vector<std::u16string> names;
  if (!ListEventLogs(target, names)) return false;
  const std::u16string server = isLocal ? std::u16string() : u"\\\\" + computer;
  for (const std::u16string& name : names) {
    HANDLE log = OpenEventLogW(server.c_str(), name.c_str());
    if (!log) {
      Trace(20, u"GetEventLogInfo: failed to open log '%s' (error=%d)", name, GetLastError());
      continue;
    }
    DWORD records = 0;
    if (GetNumberOfEventLogRecords(log, &records)) {
      LogInfoEntry entry = ClassicEntry(name, records);
      AddDisplayName(isLocal, target, language, entry);
      entries.push_back(std::move(entry));
    }
    CloseEventLog(log);
  }
  return true;
}

}  // namespace cmr
