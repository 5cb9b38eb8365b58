// What reading a query's result set over an .evtx file found damaged: the
// host's answer to the command-line program, which reports it (Windows says
// no more than that an event could not be read).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/evt.h"

namespace host::evt {

struct QueryReport {
  std::vector<std::string> diagnostics;  // e.g. "chunk 3: bad signature, skipped"
  uint64_t skipped = 0;                  // records the chunk headers promise that were not read
};

// The report of a result set so far (empty for a channel held in memory);
// false for a handle that is no result set.
bool QueryReportOf(EVT_HANDLE resultSet, QueryReport* out);

}  // namespace host::evt
