// The events of an .evtx file read a chunk at a time: how many there are and
// where each chunk's records stand in the log come from the chunk headers;
// a chunk's records are parsed when a reader reaches them, and only the
// chunk being read is held (with those that events still hold).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/formats/evtx_chunk_records.h"
#include "platform/formats/evtx_reader.h"

namespace host {

using EventRecordPtr = std::shared_ptr<const formats::EvtxRecord>;

class EvtxFileRecords {
 public:
  // Opens an .evtx file; null when it cannot be read or is no .evtx file
  // (`error` then says why).
  static std::shared_ptr<EvtxFileRecords> Open(const std::string& path, std::string* error = nullptr);

  // Records in the log, by the chunk headers.
  uint64_t size() const { return total_; }
  // The record at a position (0 is the oldest); null past the end or when
  // that record could not be read from its chunk (reported in diagnostics()).
  const EventRecordPtr* at(uint64_t position);
  // The same record without its tree: the chunk that holds it and its place
  // there; false when at() would give null.
  bool chunkAt(uint64_t position, std::shared_ptr<formats::EvtxChunkRecords>& chunk, size_t& index);
  // The position of the record with this id, or of the first one after it
  // (size() when there is none); `exact` tells which. Looks at the chunk
  // headers and parses only the chunk that holds the id.
  uint64_t positionOf(uint64_t recordId, bool* exact);
  uint64_t oldestRecordId() const { return chunks_.empty() ? 0 : chunks_.front().firstRecordId; }
  uint64_t newestRecordId() const;
  const formats::EvtxFileHeader& header() const { return reader_->header(); }

  // What was found damaged so far: the header's and those of the chunks read.
  const std::vector<std::string>& diagnostics() const { return diagnostics_; }
  // Records the chunk headers promise that could not be read, so far.
  uint64_t skipped() const { return skipped_; }
  size_t chunksParsed() const { return parsed_; }

 private:
  void load(size_t chunk);
  std::vector<uint8_t> spareBytes();
  // The chunk of a position and the place of its record in records_.
  size_t chunkOf(uint64_t position) const;
  std::unique_ptr<formats::EvtxReader> reader_;
  std::vector<formats::EvtxChunkEntry> chunks_;  // in log order
  std::vector<uint64_t> starts_;                 // position of each chunk's first record
  uint64_t total_ = 0;
  size_t cached_ = SIZE_MAX;
  std::shared_ptr<formats::EvtxChunkRecords> records_;  // those of chunk cached_; null when it was skipped
  // Chunks read before that events still held when the next was read: the
  // bytes of one no longer held are read into again.
  std::vector<std::shared_ptr<formats::EvtxChunkRecords>> retired_;
  std::vector<bool> seen_;  // chunks whose diagnostics are in
  std::vector<std::string> diagnostics_;
  uint64_t skipped_ = 0;
  size_t parsed_ = 0;
};

}  // namespace host
