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

void EvtRing::Read(std::span<const uint8_t> file, uint32_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    if (offset >= size_) offset = kEvtHeaderSize;
    size_t take = std::min<size_t>(out.size() - done, size_ - offset);
    std::memcpy(out.data() + done, file.data() + offset, take);
    done += take;
    offset += static_cast<uint32_t>(take);
  }
}

void EvtRing::Write(std::span<uint8_t> file, uint32_t offset, std::span<const uint8_t> in) const {
  size_t done = 0;
  while (done < in.size()) {
    if (offset >= size_) offset = kEvtHeaderSize;
    size_t take = std::min<size_t>(in.size() - done, size_ - offset);
    std::memcpy(file.data() + offset, in.data() + done, take);
    done += take;
    offset += static_cast<uint32_t>(take);
  }
}

}  // namespace formats
