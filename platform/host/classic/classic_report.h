// What reading a classic log's file found damaged, for the command-line
// program, which reports it (Windows tells a reader nothing of it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/types.h"

namespace host {

// The diagnostics (one line each) and the count of records known to be lost
// of the log a classic handle reads; false for a handle that is none.
bool ClassicReportOf(HANDLE eventLog, std::vector<std::string>* diagnostics, uint64_t* skipped);

}  // namespace host
