// The bytes of a .evt log being written. A log kept in memory holds them
// all; a log kept in its file reads them from the file through a window and
// holds only what was written since the file was last saved, so that the
// memory it takes does not grow with the file. The file is open from a read
// until it is released.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/evt_source.h"
#include "platform/formats/file_window.h"

namespace formats {

class EvtImage : public EvtSource {
 public:
  virtual void Write(uint32_t offset, std::span<const uint8_t> bytes) = 0;
  // Grows or shrinks the image; new bytes are zero.
  virtual void Resize(uint32_t size) = 0;
};

class EvtMemoryImage : public EvtImage {
 public:
  explicit EvtMemoryImage(std::vector<uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}
  uint32_t Size() const override { return static_cast<uint32_t>(bytes_.size()); }
  void Read(uint32_t offset, std::span<uint8_t> out) const override;
  void Write(uint32_t offset, std::span<const uint8_t> bytes) override;
  void Resize(uint32_t size) override { bytes_.resize(size, 0); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class EvtFileImage : public EvtImage {
 public:
  // The file's bytes as they are on disk; nullptr with *error set when the
  // file cannot be opened.
  static std::unique_ptr<EvtFileImage> Open(const std::string& path, std::string* error);

  uint32_t Size() const override { return size_; }
  // The file's bytes with the writes not yet saved laid over them; bytes
  // past the end of the file on disk read as zero.
  void Read(uint32_t offset, std::span<uint8_t> out) const override;
  void Write(uint32_t offset, std::span<const uint8_t> bytes) override;
  void Resize(uint32_t size) override;
  // The file now holds every write: they are read from it from now on.
  void Saved();
  // Closes the file until it is next read.
  void Release();
  // Bytes held for writes not yet saved.
  size_t PendingBytes() const;

 private:
  struct Piece {
    uint32_t offset;
    std::vector<uint8_t> bytes;
    uint32_t End() const { return offset + static_cast<uint32_t>(bytes.size()); }
  };
  EvtFileImage() = default;
  // The file's bytes on disk, the file opened when it is not; null when it
  // cannot be opened.
  const EvtWindowSource* Disk(std::string* error = nullptr) const;

  std::string path_;
  mutable std::unique_ptr<FileWindow> window_;
  mutable std::unique_ptr<EvtWindowSource> disk_;
  uint32_t size_ = 0;
  std::vector<Piece> pending_;  // disjoint, not adjacent
};

}  // namespace formats
