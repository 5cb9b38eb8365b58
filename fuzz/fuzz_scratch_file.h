// The fuzz input as a file, for the targets that load documents from files:
// one scratch file per process, written again for each input and removed
// when the process ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchFile {
 public:
  ScratchFile()
      : path_((std::filesystem::temp_directory_path() / ("fuzz-input-" + std::to_string(getpid()))).string()) {}
  ~ScratchFile() { std::filesystem::remove(path_); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Writes `size` bytes over the file; its path in the form the loaders take.
  std::u16string Write(const uint8_t* data, size_t size) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    return std::u16string(path_.begin(), path_.end());
  }

 private:
  std::string path_;
};
