// The channel operations over the Windows Event Log binding that the log
// list, the API choice and the backup search use.
#pragma once

#include <string>
#include <vector>

#include "base/log_info_entry.h"
#include "render/evt_api.h"

namespace cmr {

// Whether the computer has a channel of that name (ignoring case). True when
// the enumeration ended by a match or at its end (last error 0); false with
// the last error otherwise (87 when the library is absent).
bool ChannelExists(const EvtApi& api, const std::u16string& computer, const std::u16string& name, bool* found);

// Every channel path of the session's computer, in the order enumerated.
// Raises cmr::Win32Exception on failure.
std::vector<std::u16string> ListChannels(const EvtApi& api, EVT_HANDLE session);

// The channel's configured log file path (may hold environment variables;
// empty when none). Raises cmr::Win32Exception on failure.
std::u16string GetChannelLogFilePath(const EvtApi& api, const std::u16string& computer, const std::u16string& name);

// Fills the channel fields of a log info entry (entry.Name names the
// channel): type, enabled, API, number of records and display name. Failures
// are traced and leave the remaining fields as they were.
void GetChannelInfo(const EvtApi& api, EVT_HANDLE session, LCID language, cmr::LogInfoEntry& entry);

}  // namespace cmr
