// Changes to a live .evtx log file, worked out as the pieces of the file to
// write, so that a log is appended to or cleared in place: an append writes
// the chunk it changes and the file header, never the records already
// there.
//
// An append goes into the newest chunk when that chunk is one this writer
// would write byte for byte (its records encoded again give the same
// bytes): only the new record's bytes are written, after the others, then
// the chunk header. Otherwise (a chunk written by another program, a full or
// damaged chunk) the record starts a new chunk, in the place after the
// newest one; past the last place the file may hold, the log wraps round and
// the new chunk takes the place of the oldest, whose records are then
// overwritten. The file header is written last.
//
// A write that stops half-way leaves the file readable up to its last whole
// record: the new record's bytes lie beyond what the old chunk header
// covers, and a chunk being replaced loses its signature before its new
// bytes are written. The next append puts a half-written chunk right.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/formats/evtx_model.h"
#include "platform/formats/evtx_reader.h"

namespace formats {

struct EvtxFilePiece {
  uint64_t offset = 0;
  std::vector<uint8_t> bytes;
};

struct EvtxLogUpdate {
  // The file is cut to this size before anything is written.
  uint64_t truncateTo = UINT64_MAX;
  std::vector<EvtxFilePiece> pieces;  // written in this order
  uint64_t overwritten = 0;           // records of the oldest chunk written over
};

// The update that appends `record` (its id after every id in the log) to the
// log read by `reader`; an empty file becomes a log. The file may hold
// `maxChunks` chunks (at least one; a file already larger keeps its size).
// False with `error` when the file is no .evtx log or the record does not
// fit in a chunk.
bool PlanEvtxAppend(const EvtxReader& reader, const EvtxRecord& record, size_t maxChunks, EvtxLogUpdate& update,
                    std::string& error);

// The update that empties a log: the file becomes a header alone, record
// ids start again at 1.
EvtxLogUpdate PlanEvtxClear();

// Applies an update to the bytes of a file in memory.
void ApplyEvtxUpdate(const EvtxLogUpdate& update, std::vector<uint8_t>& file);

}  // namespace formats
