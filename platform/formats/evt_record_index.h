// Where the records of a .evt log lie, without holding them: the offset of
// the first record of each run (up to kRunLength records that follow one
// another in the file). A record is found by walking its run. Records that
// follow one another from the last one indexed are indexed when they are
// first asked for, so that a log whose records are known to lie in one
// piece need not be walked before it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "platform/formats/evt_ring.h"
#include "platform/formats/evt_source.h"

namespace formats {

struct EvtRecordSpot {
  uint32_t offset = 0;
  uint32_t length = 0;
};

class EvtRecordIndex {
 public:
  static constexpr size_t kRunLength = 64;

  EvtRecordIndex() = default;
  // An empty index of records read through `ring` from `source`; both must
  // outlive the index's use.
  EvtRecordIndex(const EvtSource& source, EvtRing ring) : source_(&source), ring_(ring) {}
  // The records are read from now on from `source` through `ring` (a log's
  // bytes moved, or its file grew; the offsets stay).
  void Use(const EvtSource& source, EvtRing ring) {
    source_ = &source;
    ring_ = ring;
  }

  // Records held (the oldest dropped ones not counted).
  size_t Size() const { return count_ - dropped_; }
  // Adds a record found at `offset` after the ones added so far.
  void Add(uint32_t offset, uint32_t length);
  // `n` more records follow the last one held, one after another from
  // `first` (the offset after the last record when there is one).
  void Follow(uint32_t first, size_t n);
  // The oldest `n` records are gone; `start` is where the oldest one left
  // lies.
  void DropOldest(size_t n, uint32_t start);

  // The record at `index` (0: the oldest held).
  EvtRecordSpot At(size_t index);
  uint32_t NumberAt(size_t index);

 private:
  struct Run {
    size_t firstIndex;  // counted from the first record ever added
    uint32_t offset;
  };
  uint32_t LoadAt(uint32_t offset) const { return ring_.Load<uint32_t>(*source_, offset); }
  uint32_t LengthAt(uint32_t offset) const;
  void Index(size_t index);  // walks the records that follow up to `index`
  void Note(uint32_t offset, uint32_t length);

  const EvtSource* source_ = nullptr;
  EvtRing ring_{0};
  std::deque<Run> runs_;
  size_t indexed_ = 0;  // records whose run is known
  size_t count_ = 0;    // records added, indexed or not
  size_t dropped_ = 0;
  uint32_t next_ = 0;  // where a record after the last indexed one starts

  size_t cursorIndex_ = SIZE_MAX;
  uint32_t cursorOffset_ = 0;
  uint32_t cursorLength_ = 0;
};

}  // namespace formats
