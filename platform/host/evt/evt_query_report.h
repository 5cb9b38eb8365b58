// What reading a query's result set, or an export, over a damaged log file
// found: the host's answer to the command-line program and to tests, which
// report it (Windows says no more than that an event could not be read).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/evt.h"
#include "platform/host/evt/event_channels.h"

namespace host::evt {

struct QueryReport {
  std::vector<std::string> diagnostics;  // e.g. "chunk 3: bad signature, skipped"
  uint64_t skipped = 0;                  // records the chunk headers promise that were not read
};

// The report of a result set so far (empty for a channel held in memory);
// false for a handle that is no result set.
bool QueryReportOf(EVT_HANDLE resultSet, QueryReport* out);

// What the calling thread's last EvtExportLog found damaged in its source
// and the records it could not carry to the new file (empty after a sound
// source, or an export that failed before reading it).
QueryReport LastExportReport();

// The damage found so far in the log's file; that of the export just made.
QueryReport ReportOfLog(const EventRecordLog& log);
void KeepExportReport(QueryReport report);

}  // namespace host::evt
