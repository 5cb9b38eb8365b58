// Where the bytes of a .evt file come from while its records are found and
// read: bytes held in memory, or a file that stays open and is read a block
// at a time (a few blocks are kept), so that a large log is never copied
// whole into memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/formats/file_window.h"

namespace formats {

class EvtSource {
 public:
  virtual ~EvtSource() = default;
  // The file's size, at most 0xFFFFFFFC (a .evt file's offsets are 32-bit).
  virtual uint32_t Size() const = 0;
  // Copies out.size() bytes from offset; the caller keeps inside Size().
  // Bytes a failing read could not give are zero.
  virtual void Read(uint32_t offset, std::span<uint8_t> out) const = 0;
};

class EvtBytesSource : public EvtSource {
 public:
  explicit EvtBytesSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint32_t Size() const override;
  void Read(uint32_t offset, std::span<uint8_t> out) const override;

 private:
  std::span<const uint8_t> bytes_;
};

class EvtWindowSource : public EvtSource {
 public:
  static constexpr uint32_t kBlockSize = 0x10000;
  static constexpr size_t kBlocks = 4;

  // The window must stay open while the source is used.
  explicit EvtWindowSource(const FileWindow& window);
  uint32_t Size() const override { return size_; }
  void Read(uint32_t offset, std::span<uint8_t> out) const override;

 private:
  struct Block {
    uint64_t start = UINT64_MAX;
    uint64_t used = 0;  // least recently used has the lowest stamp
    std::vector<uint8_t> bytes;
  };
  const Block& BlockAt(uint32_t start) const;

  const FileWindow& window_;
  uint32_t size_;
  mutable Block blocks_[kBlocks];
  mutable uint64_t clock_ = 0;
};

}  // namespace formats
