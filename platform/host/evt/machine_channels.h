// The Windows Event Log channels of a machine folder: the log files in
// C/Windows/System32/winevt/Logs ("%4" in a file name stands for "/"),
// described by the computer's registry (import the machine's .reg export
// first): HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\WINEVT\Channels\<name>
// for channels, HKLM\SYSTEM\CurrentControlSet\Services\EventLog\<log> for
// classic logs, and WINEVT\Publishers\{GUID} for publishers and their
// channel references.
#pragma once

#include <string>
#include <vector>

#include "platform/host/host.h"

namespace host {

// Adds the computer's channels and publishers; channels with a log file are
// backed by it (read on first use). Returns the number of channels added;
// problems (unreadable folder, damaged values) are told in `diagnostics`.
size_t LoadMachineChannels(Computer& computer, std::vector<std::string>* diagnostics = nullptr);

}  // namespace host
