// The pieces of an .evtx file as the writers build them: a 64 KiB chunk
// filled with records (string and template tables, records whose events are
// Binary XML template instances, every checksum set) and the file header.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace formats {

struct EvtxEventShape;

// One chunk being filled. Offsets inside Binary XML are chunk offsets, so
// records are written in place; a record that does not fit is rolled back.
// A name or template entered in a table slot goes in front of the slot's
// chain, so that adding a record never changes the bytes of the records
// before it: a chunk read back and encoded again grows only at its end.
class EvtxChunkWriter {
 public:
  EvtxChunkWriter();

  bool empty() const { return records_ == 0; }
  // Where the records end: the chunk's free space offset.
  size_t used() const { return buf_.size(); }
  // Encodes the record after the others; false (the chunk as it was) when
  // it does not fit.
  bool append(const EvtxRecord& r);
  // The whole chunk as it goes to the file: the header with the record ids,
  // the tables and the checksums; the unused space zero.
  std::vector<uint8_t> image() const;

 private:
  struct Undo {
    size_t size;
    std::vector<std::pair<size_t, uint32_t>> pokes;
    std::vector<std::u16string> names;
    std::vector<std::string> templates;
  };
  template <typename T>
  void put(T v);
  void byte(uint8_t b) { buf_.push_back(b); }
  void fragmentHeader();
  void poke(size_t offset, uint32_t v);
  void link(size_t slot, uint32_t offset);
  void write(const EvtxRecord& r);
  void templateInstance(const EvtxEvent& e, const EvtxEventShape& shape);
  void name(std::u16string_view text);
  void substitution(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub);
  void element(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub);
  void attributes(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub);
  void text(std::u16string_view t);
  void content(const EvtxEvent& e, const EvtxNode& n, uint16_t& sub);
  void values(const EvtxEventShape& shape);

  std::vector<uint8_t> buf_;
  std::unordered_map<std::u16string, uint32_t> names_;
  std::unordered_map<std::string, uint32_t> templates_;
  Undo* undo_ = nullptr;
  size_t records_ = 0;
  uint64_t firstId_ = 0, lastId_ = 0;
  uint32_t lastOffset_ = 0;
};

// The fields of a file header the writers set.
struct EvtxHeaderFields {
  uint64_t firstChunk = 0;  // the oldest chunk's place in the file
  uint64_t lastChunk = 0;   // the newest chunk's
  uint64_t nextRecordId = 1;
  uint16_t chunkCount = 0;
  uint32_t flags = 0;  // 1 dirty, 2 full
};

// The first 128 bytes of a file header (the part that is checksummed); the
// rest of the header's 4096 bytes is zero.
std::vector<uint8_t> EvtxHeaderBytes(const EvtxHeaderFields& fields);

}  // namespace formats
