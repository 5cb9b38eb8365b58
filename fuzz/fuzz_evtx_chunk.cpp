// Any bytes as the one chunk of an .evtx file behind a sound file header:
// the chunk parser must not crash or read outside it, every record it
// yields must render, and so must the records read by template plans.
#include <algorithm>

#include "fuzz/fuzz_check.h"
#include "platform/formats/evtx_chunk_records.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"

using namespace formats;

namespace {

// The file header of a one-chunk file, made once by the writer.
const std::vector<uint8_t>& FileHeader() {
  static const std::vector<uint8_t> header = [] {
    EvtxEventSpec spec;
    spec.provider = u"Fuzz";
    spec.recordId = 1;
    std::vector<uint8_t> bytes;
    std::string error;
    WriteEvtx({BuildEvtxRecord(spec)}, bytes, error);
    bytes.resize(4096);
    return bytes;
  }();
  return header;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file = FileHeader();
  file.insert(file.end(), data, data + std::min(size, kEvtxChunkSize));
  EvtxReader reader(std::move(file));
  std::vector<EvtxRecord> records;
  std::vector<std::string> diagnostics;
  EvtxChunkInfo info;
  reader.readChunk(0, records, diagnostics, &info);
  for (const EvtxRecord& record : records) {
    RenderEvtxXml(record.event);
    GetEvtxSystem(record.event);
    GetEvtxUserValues(record.event);
  }
  // The same chunk read for rendering keeps the same records; their values
  // are read by plan, or from their trees.
  std::vector<std::string> again;
  std::shared_ptr<EvtxChunkRecords> chunk = EvtxChunkRecords::Read(reader, 0, again);
  Check((chunk ? chunk->size() : 0) == records.size());
  for (size_t i = 0; chunk && i < chunk->size(); ++i) {
    chunk->systemValues(i);
    chunk->userValues(i);
  }
  return 0;
}
