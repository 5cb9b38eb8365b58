#include "platform/formats/evt_ring.h"

#include <algorithm>
#include <cstring>

namespace formats {

bool EvtRing::Fits(uint32_t offset, uint32_t n) const {
  if (!Contains(offset)) return false;
  if (wraps_) return n <= Capacity();
  return uint64_t{offset} + n <= size_;
}

uint32_t EvtRing::Advance(uint32_t offset, uint32_t n) const {
  uint64_t next = uint64_t{offset} + n;
  if (next >= size_ && wraps_) next = next - size_ + kEvtHeaderSize;
  return static_cast<uint32_t>(next);
}

uint32_t EvtRing::Distance(uint32_t from, uint32_t to) const {
  if (to >= from) return to - from;
  return (size_ - from) + (to - kEvtHeaderSize);
}

template <class Copy>
void EvtRing::ForEachPiece(uint32_t offset, size_t n, Copy copy) const {
  size_t done = 0;
  while (done < n) {
    if (offset >= size_) offset = kEvtHeaderSize;
    const size_t take = std::min<size_t>(n - done, size_ - offset);
    copy(offset, done, take);
    done += take;
    offset += static_cast<uint32_t>(take);
  }
}

void EvtRing::Read(std::span<const uint8_t> file, uint32_t offset, std::span<uint8_t> out) const {
  ForEachPiece(offset, out.size(),
               [&](uint32_t at, size_t done, size_t take) { std::memcpy(out.data() + done, file.data() + at, take); });
}

void EvtRing::Read(const EvtSource& file, uint32_t offset, std::span<uint8_t> out) const {
  ForEachPiece(offset, out.size(),
               [&](uint32_t at, size_t done, size_t take) { file.Read(at, out.subspan(done, take)); });
}

void EvtRing::Write(std::span<uint8_t> file, uint32_t offset, std::span<const uint8_t> in) const {
  ForEachPiece(offset, in.size(),
               [&](uint32_t at, size_t done, size_t take) { std::memcpy(file.data() + at, in.data() + done, take); });
}

}  // namespace formats
