// The property the .evtx fuzz target checks on every input, shared with the
// unit tests that keep the inputs it once broke on: whatever the reader
// yields renders, and survives being written and read again (same records,
// same order, nothing reported wrong the second time). Empty when it holds,
// else what broke.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"

namespace fuzzcheck {

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
  EvtxReadResult back = ReadEvtx(bytes);
  if (!back.diagnostics.empty()) return "the written file reads with diagnostics: " + back.diagnostics.front();
  if (back.records.size() != r.records.size())
    return "records read " + std::to_string(r.records.size()) + ", read back " + std::to_string(back.records.size());
  for (size_t i = 0; i < r.records.size(); ++i) {
    if (back.records[i].recordId != r.records[i].recordId) return "record " + std::to_string(i) + " changed its id";
    if (RenderEvtxXml(back.records[i].event) != RenderEvtxXml(r.records[i].event))
      return "record " + std::to_string(i) + " changed";
  }
  return {};
}

}  // namespace fuzzcheck
