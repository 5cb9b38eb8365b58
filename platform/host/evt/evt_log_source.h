// The events that a query, an opened log or an export reads: a channel of
// the session's computer, or an .evtx file (a path of that computer).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/host/evt/evt_objects.h"

namespace host::evt {

struct LogSource {
  Computer* computer = nullptr;
  EventChannel* channel = nullptr;  // null for a file
  std::shared_ptr<EventRecordLog> log;
  std::string file;  // Linux path of a file, or of the channel's backing file
};

// Opens `path` as a channel name or a file path. Returns 0 or the error:
// 6 / 1722 for the session, 15007 for an unknown channel, 2 / 3 for a
// missing file, 1500 for a file that is not an event log.
DWORD OpenLogSource(EVT_HANDLE session, std::u16string_view path, bool isChannel, LogSource* out);

// Maps a file path of the session's computer; 0 or the error.
DWORD MapSessionPath(Computer& computer, std::u16string_view path, std::string* linuxPath);

}  // namespace host::evt
