// The property the .evtx fuzz target checks on every input, shared with the
// unit tests that keep the inputs it once broke on: whatever the reader
// yields renders, and survives being written and read again (same records,
// same order, nothing reported wrong the second time), whether the file is
// written whole or appended to a record at a time as a live log is. Empty
// when it holds, else what broke.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/evtx_log_update.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"

namespace fuzzcheck {

// What differs between the records read and those read back from `bytes`.
inline std::string EvtxReadBackProblem(const std::vector<formats::EvtxRecord>& records,
                                       const std::vector<uint8_t>& bytes) {
  using namespace formats;
  EvtxReadResult back = ReadEvtx(bytes);
  if (!back.diagnostics.empty()) return "the written file reads with diagnostics: " + back.diagnostics.front();
  if (back.records.size() != records.size())
    return "records read " + std::to_string(records.size()) + ", read back " + std::to_string(back.records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    if (back.records[i].recordId != records[i].recordId) return "record " + std::to_string(i) + " changed its id";
    if (RenderEvtxXml(back.records[i].event) != RenderEvtxXml(records[i].event))
      return "record " + std::to_string(i) + " changed";
  }
  return {};
}

// The records appended one at a time to an empty live log; empty when an
// append was refused.
inline std::vector<uint8_t> AppendedEvtx(const std::vector<formats::EvtxRecord>& records) {
  std::vector<uint8_t> file;
  for (const formats::EvtxRecord& r : records) {
    formats::EvtxLogUpdate update;
    std::string error;
    if (!formats::PlanEvtxAppend(formats::EvtxReader(file), r, SIZE_MAX, update, error)) return {};
    formats::ApplyEvtxUpdate(update, file);
  }
  return file;
}

inline std::string EvtxRoundTripProblem(std::span<const uint8_t> data) {
  using namespace formats;
  EvtxReadResult r = ReadEvtx(data);
  for (const EvtxRecord& rec : r.records) {
    RenderEvtxXml(rec.event);
    GetEvtxSystem(rec.event);
    GetEvtxUserValues(rec.event);
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!WriteEvtx(r.records, bytes, error)) return {};  // refused with a reason: nothing to compare
  if (std::string problem = EvtxReadBackProblem(r.records, bytes); !problem.empty()) return problem;
  if (r.records.empty()) return {};
  if (std::string problem = EvtxReadBackProblem(r.records, AppendedEvtx(r.records)); !problem.empty())
    return "appended: " + problem;
  return {};
}

}  // namespace fuzzcheck
