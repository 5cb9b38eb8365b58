// The circular data area of a .evt file: offsets run from the end of the
// header to the end of the file and then continue after the header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/formats/evt_layout.h"
#include "platform/formats/evt_source.h"

namespace formats {

class EvtRing {
 public:
  // fileSize: the size of the whole file, header included. A ring that does
  // not wrap treats the file end as a hard end (used for truncated files).
  explicit EvtRing(uint32_t fileSize, bool wraps = true) : size_(fileSize), wraps_(wraps) {}

  uint32_t FileSize() const { return size_; }
  uint32_t Capacity() const { return size_ > kEvtHeaderSize ? size_ - kEvtHeaderSize : 0; }
  bool Wraps() const { return wraps_; }

  // True when offset lies in the data area.
  bool Contains(uint32_t offset) const { return offset >= kEvtHeaderSize && offset < size_; }
  // True when n bytes can be read from offset (offset in the data area).
  bool Fits(uint32_t offset, uint32_t n) const;
  // True when n bytes at offset pass the end of the file and continue after
  // the header.
  bool Crosses(uint32_t offset, uint32_t n) const { return uint64_t{offset} + n > size_; }

  // The offset n bytes further on (n at most Capacity()).
  uint32_t Advance(uint32_t offset, uint32_t n) const;
  // Bytes from `from` forward to `to`, both in the data area.
  uint32_t Distance(uint32_t from, uint32_t to) const;

  // Copies out.size() bytes from offset; the caller has checked Fits().
  void Read(std::span<const uint8_t> file, uint32_t offset, std::span<uint8_t> out) const;
  void Read(const EvtSource& file, uint32_t offset, std::span<uint8_t> out) const;
  void Write(std::span<uint8_t> file, uint32_t offset, std::span<const uint8_t> in) const;

  template <class T, class File>
  T Load(const File& file, uint32_t offset) const {
    T value;
    Read(file, offset, std::span<uint8_t>(reinterpret_cast<uint8_t*>(&value), sizeof(T)));
    return value;
  }

 private:
  // Calls copy(file offset, bytes done, bytes) for each piece of n bytes
  // from offset, split where the file ends.
  template <class Copy>
  void ForEachPiece(uint32_t offset, size_t n, Copy copy) const;

  uint32_t size_;
  bool wraps_;
};

}  // namespace formats
