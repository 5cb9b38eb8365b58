// Any bytes as a .evtx file: the reader must not crash or read outside them,
// every record it yields must render, and what it yields must survive being
// written and read again.
#include "fuzz/fuzz_check.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"

using namespace formats;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EvtxReadResult r = ReadEvtx(std::span<const uint8_t>(data, size));
  for (const EvtxRecord& rec : r.records) {
    RenderEvtxXml(rec.event);
    GetEvtxSystem(rec.event);
    GetEvtxUserValues(rec.event);
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!WriteEvtx(r.records, bytes, error)) return 0;
  EvtxReadResult back = ReadEvtx(bytes);
  Check(back.diagnostics.empty());
  Check(back.records.size() == r.records.size());
  for (size_t i = 0; i < r.records.size(); ++i)
    Check(RenderEvtxXml(back.records[i].event) == RenderEvtxXml(r.records[i].event));
  return 0;
}
