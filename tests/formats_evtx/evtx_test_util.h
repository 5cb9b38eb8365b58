// Helpers of the .evtx tests: sample paths, small files, the record summary
// the cross check compares, and running the cross check.
#pragma once

#include <string>
#include <vector>

#include "platform/formats/evtx_model.h"
#include "platform/formats/evtx_writer.h"

namespace evtxtest {

// The sample "logs/<name>" of the test data folder, or empty when it is absent.
std::string SamplePath(const std::string& name);

// One JSON line with the values the cross check compares (see cross_check.py).
std::string RecordJson(const formats::EvtxRecord& record);

// Whether one of the diagnostics contains `part`.
bool HasDiagnostic(const std::vector<std::string>& diagnostics, const std::string& part);

// A logon event of the Security log, record id 10 + i: strings, numbers, a
// SID, binary, a hex number, a null and an unnamed value; all share a template.
formats::EvtxEventSpec TypicalSpec(uint64_t i);

// A record of provider "P" with the given id and event data.
formats::EvtxRecord Record(uint64_t id, std::vector<formats::EvtxUserValue> data = {});

// The bytes of a file of `records` (a refusal fails the test).
std::vector<uint8_t> Written(const std::vector<formats::EvtxRecord>& records);

// The ids of the records read from `file`, and what was reported if asked.
std::vector<uint64_t> Ids(const std::vector<uint8_t>& file, std::vector<std::string>* diagnostics = nullptr);

// Runs cross_check.py with `tool` ("evtxexport" or "python-evtx") on the file
// at `path` against `records`: false when the tool is not installed, else
// the test fails unless they agree; `report` is what the script printed.
bool CrossCheck(const std::string& tool, const std::string& path, const std::vector<formats::EvtxRecord>& records,
                std::string& report);

}  // namespace evtxtest
