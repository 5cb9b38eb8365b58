#include "platform/formats/evt_record_index.h"

#include <algorithm>

#include "platform/formats/evt_layout.h"

namespace formats {

void EvtRecordIndex::Note(uint32_t offset, uint32_t length) {
  const bool follows = !runs_.empty() && offset == next_ && indexed_ - runs_.back().firstIndex < kRunLength;
  if (!follows) runs_.push_back({indexed_, offset});
  next_ = ring_.Advance(offset, length);
  ++indexed_;
}

void EvtRecordIndex::Add(uint32_t offset, uint32_t length) {
  Index(count_);
  Note(offset, length);
  ++count_;
}

void EvtRecordIndex::Follow(uint32_t first, size_t n) {
  if (count_ == dropped_) {
    // Nothing held: the walk starts again where the new records are.
    runs_.clear();
    indexed_ = count_;
    next_ = first;
  }
  count_ += n;
}

void EvtRecordIndex::DropOldest(size_t n, uint32_t start) {
  dropped_ = std::min(count_, dropped_ + n);
  while (runs_.size() > 1 && runs_[1].firstIndex <= dropped_) runs_.pop_front();
  if (indexed_ <= dropped_) {
    runs_.clear();
    indexed_ = dropped_;
    next_ = start;
  } else if (runs_.front().firstIndex < dropped_) {
    // The bytes before the oldest record may be overwritten already.
    runs_.front() = {dropped_, start};
  }
  if (cursorIndex_ < dropped_) cursorIndex_ = SIZE_MAX;
}

uint32_t EvtRecordIndex::LengthAt(uint32_t offset) const {
  // A record was found here; a file changed under the reader gives the
  // smallest record instead of a length that runs anywhere.
  const uint32_t length = LoadAt(offset);
  return length >= kEvtRecordMinSize && length <= ring_.Capacity() ? length : kEvtRecordMinSize;
}

void EvtRecordIndex::Index(size_t index) {
  while (indexed_ < std::min(index + 1, count_)) Note(next_, LengthAt(next_));
}

EvtRecordSpot EvtRecordIndex::At(size_t index) {
  const size_t wanted = dropped_ + index;
  if (wanted == cursorIndex_) return {cursorOffset_, cursorLength_};
  Index(wanted);
  const auto run =
      std::upper_bound(runs_.begin(), runs_.end(), wanted, [](size_t i, const Run& r) { return i < r.firstIndex; }) - 1;
  size_t at = run->firstIndex;
  uint32_t offset = run->offset;
  // Going on from the cursor inside the same run saves walking from its start.
  if (cursorIndex_ != SIZE_MAX && cursorIndex_ >= at && cursorIndex_ < wanted) {
    at = cursorIndex_;
    offset = cursorOffset_;
  }
  uint32_t length = LengthAt(offset);
  for (; at < wanted; ++at) {
    offset = ring_.Advance(offset, length);
    length = LengthAt(offset);
  }
  cursorIndex_ = wanted;
  cursorOffset_ = offset;
  cursorLength_ = length;
  return {offset, length};
}

uint32_t EvtRecordIndex::NumberAt(size_t index) {
  const EvtRecordSpot spot = At(index);
  return LoadAt(ring_.Advance(spot.offset, 8));  // EVENTLOGRECORD::RecordNumber
}

}  // namespace formats
