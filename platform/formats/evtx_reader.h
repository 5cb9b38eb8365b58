// Reads .evtx files: the file header, 64 KiB chunks with their string and
// template tables, event records and their Binary XML. Every read is bounds
// checked; damage is reported as diagnostics and reading goes on:
//   - a header or chunk checksum mismatch is reported, the data is still read;
//   - a chunk with a bad signature is skipped ("chunk 3: bad signature, skipped");
//   - a record that does not parse is skipped with a report;
//   - a truncated file yields every whole record.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace formats {

inline constexpr size_t kEvtxFileHeaderSize = 4096;
inline constexpr size_t kEvtxChunkSize = 65536;
inline constexpr size_t kEvtxChunkHeaderSize = 512;

struct EvtxFileHeader {
  uint64_t firstChunk = 0;
  uint64_t lastChunk = 0;
  uint64_t nextRecordId = 0;
  uint16_t minorVersion = 0;
  uint16_t majorVersion = 0;
  uint16_t chunkCount = 0;  // as stored; the reader goes by the file size
  uint32_t flags = 0;       // 1 dirty, 2 full
  uint32_t checksum = 0;
  bool checksumValid = false;
};

struct EvtxChunkInfo {
  uint64_t firstRecordNumber = 0, lastRecordNumber = 0;
  uint64_t firstRecordId = 0, lastRecordId = 0;
  uint32_t lastRecordOffset = 0;
  uint32_t freeSpaceOffset = 0;
  bool headerChecksumValid = false;
  bool recordsChecksumValid = false;
};

struct EvtxReadResult {
  bool valid = false;  // false when the file header itself is unusable
  EvtxFileHeader header;
  std::vector<EvtxRecord> records;
  std::vector<std::string> diagnostics;
};

// A reader of one file, chunk by chunk: a file on disk is read with
// positioned reads (a chunk at a time, never the whole file), bytes given in
// memory are read in place.
class EvtxReader {
 public:
  explicit EvtxReader(std::vector<uint8_t> bytes);
  ~EvtxReader();
  // Opens the file and reads its header; false with `error` set on I/O failure.
  static bool Open(const std::string& path, std::unique_ptr<EvtxReader>& out, std::string& error);

  bool headerValid() const { return headerValid_; }
  const EvtxFileHeader& header() const { return header_; }
  // Chunks present in the file (a trailing partial chunk counts when its
  // header is whole).
  size_t chunkCount() const { return chunkCount_; }
  // The header diagnostics (signature, checksum).
  const std::vector<std::string>& headerDiagnostics() const { return headerDiagnostics_; }

  // Parses chunk `index` and appends its records in file order; false when
  // the chunk was skipped (bad signature, unused). Diagnostics are appended.
  bool readChunk(size_t index, std::vector<EvtxRecord>& records, std::vector<std::string>& diagnostics,
                 EvtxChunkInfo* info = nullptr) const;
  // The bytes of chunk `index` when it is in use, its header in `info` and
  // the end of its records in `end`; damage is reported in `diagnostics`.
  // Empty when the chunk is skipped (bad signature, unused, unreadable).
  std::span<const uint8_t> openChunk(size_t index, std::vector<uint8_t>& buffer, EvtxChunkInfo& info, size_t& end,
                                     std::vector<std::string>& diagnostics) const;
  // Reads the header of chunk `index` alone; false when the chunk has no
  // chunk signature (unused or damaged).
  bool readChunkHeader(size_t index, EvtxChunkInfo& info) const;

  // Every chunk, the records in log order: chunks ordered by their first
  // record id (a log that wrapped around starts in the middle of the file).
  EvtxReadResult readAll() const;

  // The size of the file in bytes.
  uint64_t fileSize() const;
  // The bytes of chunk `index`, up to `limit` of them (fewer when the file
  // ends first): a view of `buffer` or of the bytes in memory.
  std::span<const uint8_t> chunkBytes(size_t index, std::vector<uint8_t>& buffer, size_t limit) const;

 private:
  class Source;
  explicit EvtxReader(std::unique_ptr<Source> source);
  void parseHeader();
  std::unique_ptr<Source> source_;
  EvtxFileHeader header_;
  bool headerValid_ = false;
  size_t chunkCount_ = 0;
  std::vector<std::string> headerDiagnostics_;
};

// Checks or parses the Binary XML of one record of a chunk: the record
// stands at `pos` and takes `size` bytes; false with `error` set when it is
// malformed.
using EvtxRecordVisitor = std::function<bool(size_t pos, size_t size, std::string& error)>;

// Walks the records of an opened chunk up to `end`, handing each one that
// looks whole to `visit`. A record that is not read, and damage between
// records, are reported ("chunk 3: record 7: ..., skipped"); the walk goes
// on with the next whole record.
void ScanEvtxRecords(std::span<const uint8_t> chunk, size_t index, size_t end, const EvtxRecordVisitor& visit,
                     std::vector<std::string>& diagnostics);
// Parses the records of a chunk opened by EvtxReader::openChunk and appends
// them in file order, as readChunk does; damage goes to `diagnostics`.
void ReadEvtxChunkRecords(std::span<const uint8_t> chunk, size_t index, size_t end, std::vector<EvtxRecord>& records,
                          std::vector<std::string>& diagnostics);

// One used chunk of a file, by its header: where its records stand in the log.
struct EvtxChunkEntry {
  size_t index = 0;  // the chunk's place in the file
  uint64_t firstRecordId = 0, lastRecordId = 0;
  uint64_t count = 0;  // records, by the header's record numbers
};

// The used chunks of a file in log order (oldest first, so a log that
// wrapped around is read from the middle of the file), from the chunk
// headers alone. A chunk without a chunk signature is looked at whole: when
// it is not unused, `diagnostics` says it was skipped.
std::vector<EvtxChunkEntry> EvtxChunkOrder(const EvtxReader& reader, std::vector<std::string>& diagnostics);

EvtxReadResult ReadEvtx(std::span<const uint8_t> bytes);
EvtxReadResult ReadEvtxFile(const std::string& path);

}  // namespace formats
