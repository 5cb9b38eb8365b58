#include "platform/formats/evt_image.h"

#include <algorithm>
#include <cstring>

namespace formats {

void EvtMemoryImage::Read(uint32_t offset, std::span<uint8_t> out) const {
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
}

void EvtMemoryImage::Write(uint32_t offset, std::span<const uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + offset);
}

std::unique_ptr<EvtFileImage> EvtFileImage::Open(const std::string& path, std::string* error) {
  std::unique_ptr<EvtFileImage> image(new EvtFileImage());
  image->path_ = path;
  const EvtWindowSource* disk = image->Disk(error);
  if (!disk) return nullptr;
  image->size_ = disk->Size();
  return image;
}

const EvtWindowSource* EvtFileImage::Disk(std::string* error) const {
  if (disk_) return disk_.get();
  auto window = std::make_unique<FileWindow>();
  if (!window->Open(path_, error)) return nullptr;
  window_ = std::move(window);
  disk_ = std::make_unique<EvtWindowSource>(*window_);
  return disk_.get();
}

void EvtFileImage::Release() {
  disk_.reset();
  window_.reset();
}

void EvtFileImage::Read(uint32_t offset, std::span<uint8_t> out) const {
  const uint64_t end = uint64_t{offset} + out.size();
  const EvtWindowSource* disk = Disk();
  const uint32_t onDisk = disk ? disk->Size() : 0;
  const size_t fromDisk = offset < onDisk ? static_cast<size_t>(std::min<uint64_t>(end, onDisk) - offset) : 0;
  if (fromDisk > 0) disk->Read(offset, out.first(fromDisk));
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(fromDisk), out.end(), uint8_t{0});
  for (const Piece& p : pending_) {
    if (p.End() <= offset || p.offset >= end) continue;
    const uint32_t from = std::max(p.offset, offset);
    const uint32_t to = static_cast<uint32_t>(std::min<uint64_t>(p.End(), end));
    std::memcpy(out.data() + (from - offset), p.bytes.data() + (from - p.offset), to - from);
  }
}

void EvtFileImage::Write(uint32_t offset, std::span<const uint8_t> bytes) {
  // The new piece takes in every piece it overlaps or touches.
  uint32_t from = offset;
  uint32_t to = offset + static_cast<uint32_t>(bytes.size());
  std::vector<Piece> joined;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->offset <= to && from <= it->End()) {
      from = std::min(from, it->offset);
      to = std::max(to, it->End());
      joined.push_back(std::move(*it));
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  Piece piece{from, std::vector<uint8_t>(to - from)};
  if (!joined.empty() || from != offset || to != offset + bytes.size()) Read(from, piece.bytes);
  for (const Piece& p : joined) std::copy(p.bytes.begin(), p.bytes.end(), piece.bytes.begin() + (p.offset - from));
  std::copy(bytes.begin(), bytes.end(), piece.bytes.begin() + (offset - from));
  pending_.push_back(std::move(piece));
}

void EvtFileImage::Resize(uint32_t size) {
  if (size < size_) {
    for (auto it = pending_.begin(); it != pending_.end();) {
      if (it->offset >= size) {
        it = pending_.erase(it);
        continue;
      }
      if (it->End() > size) it->bytes.resize(size - it->offset);
      ++it;
    }
  }
  size_ = size;
}

void EvtFileImage::Saved() {
  pending_.clear();
  Release();  // the bytes read before the write are gone from the window too
}

size_t EvtFileImage::PendingBytes() const {
  size_t total = 0;
  for (const Piece& p : pending_) total += p.bytes.size();
  return total;
}

}  // namespace formats
