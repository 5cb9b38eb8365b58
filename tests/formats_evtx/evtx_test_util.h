// Helpers of the .evtx tests: sample paths, the record summary the cross
// check compares, and running a command.
#pragma once

#include <string>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace evtxtest {

// The sample "logs/<name>" of the test data folder, or empty when it is absent.
std::string SamplePath(const std::string& name);

// One JSON line with the values the cross check compares (see cross_check.py).
std::string RecordJson(const formats::EvtxRecord& record);

// Whether one of the diagnostics contains `part`.
bool HasDiagnostic(const std::vector<std::string>& diagnostics, const std::string& part);

}  // namespace evtxtest
