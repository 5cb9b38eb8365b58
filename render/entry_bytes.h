// The bytes of the entry being built: a buffer that keeps its storage from
// entry to entry, written in place through a pointer (no per-byte checks, no
// filling of memory that is about to be written).
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace cmr {

class EntryBytes {
 public:
  // Room for `count` more bytes after the end: write there, then Commit the
  // end of what was written.
  char* Room(size_t count) {
    if (storage_.size() - size_ < count) Grow(count);
    return storage_.data() + size_;
  }
  void Commit(const char* end) { size_ = static_cast<size_t>(end - storage_.data()); }

  void Append(std::string_view bytes) {
    char* out = Room(bytes.size());
    std::memcpy(out, bytes.data(), bytes.size());
    Commit(out + bytes.size());
  }
  // Drops the bytes after the first `size`.
  void Shrink(size_t size) { size_ = std::min(size, size_); }
  void Clear() { size_ = 0; }

  std::string_view View() const { return {storage_.data(), size_}; }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

 private:
  void Grow(size_t count);  // rare: the storage is kept from entry to entry

  std::string storage_;  // its size is the capacity in use; the entry is its first size_ bytes
  size_t size_ = 0;
};

}  // namespace cmr
