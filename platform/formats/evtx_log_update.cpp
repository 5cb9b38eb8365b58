#include "platform/formats/evtx_log_update.h"

#include <algorithm>

#include "platform/formats/evtx_chunk_writer.h"

namespace formats {
namespace {

uint64_t ChunkOffset(size_t index) { return kEvtxFileHeaderSize + uint64_t{index} * kEvtxChunkSize; }

EvtxFilePiece Piece(uint64_t offset, const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  return {offset + from, std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                              bytes.begin() + static_cast<std::ptrdiff_t>(to))};
}

// The pieces that add `record` to the end of chunk `index`, when the chunk
// holds the bytes this writer gives for its records and the record fits.
// The chunk header is written whole: one left half-written by an earlier
// update is put right also when the record does not fit.
bool AppendToChunk(const EvtxReader& reader, size_t index, const EvtxRecord& record, EvtxLogUpdate& update) {
  // The chunk is read once, for its records and for the comparison.
  std::vector<uint8_t> buffer;
  EvtxChunkInfo info;
  size_t recordsEnd = 0;
  std::vector<std::string> diagnostics;
  std::span<const uint8_t> bytes = reader.openChunk(index, buffer, info, recordsEnd, diagnostics);
  if (bytes.size() < kEvtxChunkSize) return false;
  std::vector<EvtxRecord> records;
  ReadEvtxChunkRecords(bytes, index, recordsEnd, records, diagnostics);
  EvtxChunkWriter chunk;
  for (const EvtxRecord& r : records)
    if (!chunk.append(r)) return false;
  const size_t end = chunk.used();
  const std::vector<uint8_t> before = chunk.image();
  if (!std::equal(before.begin() + kEvtxChunkHeaderSize, before.begin() + static_cast<std::ptrdiff_t>(end),
                  bytes.begin() + kEvtxChunkHeaderSize))
    return false;
  if (!chunk.append(record)) {
    if (!std::equal(before.begin(), before.begin() + kEvtxChunkHeaderSize, bytes.begin()))
      update.pieces.push_back(Piece(ChunkOffset(index), before, 0, kEvtxChunkHeaderSize));
    return false;
  }
  const std::vector<uint8_t> after = chunk.image();
  update.pieces.push_back(Piece(ChunkOffset(index), after, end, chunk.used()));
  update.pieces.push_back(Piece(ChunkOffset(index), after, 0, kEvtxChunkHeaderSize));
  return true;
}

// The pieces that write a new chunk holding `record` at place `index`.
bool NewChunk(const EvtxReader& reader, size_t index, const EvtxRecord& record, EvtxLogUpdate& update,
              std::string& error) {
  EvtxChunkWriter chunk;
  if (!chunk.append(record)) {
    error = "record " + std::to_string(record.recordId) + " does not fit in a chunk";
    return false;
  }
  const std::vector<uint8_t> image = chunk.image();
  // A chunk written over is no chunk until its new header is in place.
  if (index < reader.chunkCount()) update.pieces.push_back({ChunkOffset(index), std::vector<uint8_t>(8, 0)});
  update.pieces.push_back(Piece(ChunkOffset(index), image, kEvtxChunkHeaderSize, image.size()));
  update.pieces.push_back(Piece(ChunkOffset(index), image, 0, kEvtxChunkHeaderSize));
  return true;
}

}  // namespace

bool PlanEvtxAppend(const EvtxReader& reader, const EvtxRecord& record, size_t maxChunks, EvtxLogUpdate& update,
                    std::string& error) {
  update = EvtxLogUpdate{};
  const bool fresh = reader.fileSize() == 0;
  if (!fresh && !reader.headerValid()) {
    error = "not an .evtx log: " +
            (reader.headerDiagnostics().empty() ? std::string("bad file header") : reader.headerDiagnostics().front());
    return false;
  }
  EvtxHeaderFields header;
  header.flags = fresh ? 0 : reader.header().flags;
  if (fresh) {
    // The header goes first, so that a file cut short is still a log.
    header.nextRecordId = record.recordId;
    std::vector<uint8_t> bytes = EvtxHeaderBytes(header);
    bytes.resize(kEvtxFileHeaderSize, 0);
    update.pieces.push_back({0, std::move(bytes)});
  }
  std::vector<std::string> diagnostics;
  std::vector<EvtxChunkEntry> order = fresh ? std::vector<EvtxChunkEntry>{} : EvtxChunkOrder(reader, diagnostics);
  size_t index = 0;
  if (!order.empty() && record.recordId > order.back().lastRecordId &&
      AppendToChunk(reader, order.back().index, record, update)) {
    index = order.back().index;
    order.pop_back();
  } else {
    const size_t places = std::max({maxChunks, reader.chunkCount(), size_t{1}});
    index = order.empty() || order.back().index + 1 >= places ? 0 : order.back().index + 1;
    if (!NewChunk(reader, index, record, update, error)) return false;
    for (auto it = order.begin(); it != order.end(); ++it) {
      if (it->index != index) continue;
      update.overwritten = it->count;
      order.erase(it);
      break;
    }
  }
  header.firstChunk = order.empty() ? index : order.front().index;
  header.lastChunk = index;
  header.nextRecordId = record.recordId + 1;
  // Chunks in use: a file made larger in advance has unused (zero) chunks
  // after them, which the count leaves out.
  const size_t inUse = fresh ? 0 : reader.header().chunkCount;
  header.chunkCount = static_cast<uint16_t>(std::min<size_t>(std::max(inUse, index + 1), 0xFFFF));
  update.pieces.push_back({0, EvtxHeaderBytes(header)});
  return true;
}

EvtxLogUpdate PlanEvtxClear() {
  EvtxLogUpdate update;
  update.truncateTo = kEvtxFileHeaderSize;
  std::vector<uint8_t> bytes = EvtxHeaderBytes(EvtxHeaderFields{});
  bytes.resize(kEvtxFileHeaderSize, 0);
  update.pieces.push_back({0, std::move(bytes)});
  return update;
}

void ApplyEvtxUpdate(const EvtxLogUpdate& update, std::vector<uint8_t>& file) {
  if (update.truncateTo < file.size()) file.resize(static_cast<size_t>(update.truncateTo));
  for (const EvtxFilePiece& piece : update.pieces) {
    const size_t end = static_cast<size_t>(piece.offset) + piece.bytes.size();
    if (file.size() < end) file.resize(end, 0);
    std::copy(piece.bytes.begin(), piece.bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(piece.offset));
  }
}

}  // namespace formats
