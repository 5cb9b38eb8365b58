// Positioned reads of a file that stays open, for readers that take a large
// file piece by piece instead of copying it whole into memory.
#pragma once

#include <cstdint>
#include <string>

namespace formats {

class FileWindow {
 public:
  FileWindow() = default;
  FileWindow(const FileWindow&) = delete;
  FileWindow& operator=(const FileWindow&) = delete;
  ~FileWindow();

  // Opens the file for reading; false with `error` set (a folder is refused).
  bool Open(const std::string& path, std::string* error);
  bool IsOpen() const { return fd_ >= 0; }
  uint64_t Size() const { return size_; }
  // Reads up to `size` bytes at `offset` into `out`; the count read (short
  // only at the end of the file or on an I/O error).
  size_t Read(uint64_t offset, void* out, size_t size) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace formats
