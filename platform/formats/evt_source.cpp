#include "platform/formats/evt_source.h"

#include <algorithm>
#include <cstring>

namespace formats {
namespace {

constexpr uint64_t kMaxEvtFileSize = 0xFFFFFFFCu;

}  // namespace

uint32_t EvtBytesSource::Size() const {
  return static_cast<uint32_t>(std::min<uint64_t>(bytes_.size(), kMaxEvtFileSize));
}

void EvtBytesSource::Read(uint32_t offset, std::span<uint8_t> out) const {
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
}

EvtWindowSource::EvtWindowSource(const FileWindow& window)
    : window_(window), size_(static_cast<uint32_t>(std::min<uint64_t>(window.Size(), kMaxEvtFileSize))) {}

const EvtWindowSource::Block& EvtWindowSource::BlockAt(uint32_t start) const {
  Block* oldest = &blocks_[0];
  for (Block& b : blocks_) {
    if (b.start == start) {
      b.used = ++clock_;
      return b;
    }
    if (b.used < oldest->used) oldest = &b;
  }
  const size_t length = std::min<uint64_t>(kBlockSize, size_ - start);
  oldest->bytes.resize(length);
  const size_t got = window_.Read(start, oldest->bytes.data(), length);
  std::fill(oldest->bytes.begin() + static_cast<std::ptrdiff_t>(got), oldest->bytes.end(), uint8_t{0});
  oldest->start = start;
  oldest->used = ++clock_;
  return *oldest;
}

void EvtWindowSource::Read(uint32_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    const uint32_t at = offset + static_cast<uint32_t>(done);
    const uint32_t start = at - at % kBlockSize;
    const Block& block = BlockAt(start);
    const size_t inside = at - start;
    const size_t take = std::min(out.size() - done, block.bytes.size() - std::min(inside, block.bytes.size()));
    if (take == 0) {  // past the end: the caller's offsets were wrong
      std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), uint8_t{0});
      return;
    }
    std::memcpy(out.data() + done, block.bytes.data() + inside, take);
    done += take;
  }
}

}  // namespace formats
