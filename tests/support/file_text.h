// A whole file read for a check: its bytes as text or as a byte vector (empty
// when the file cannot be read).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/formats/file_bytes.h"

namespace testsupport {

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  if (!formats::ReadFileBytes(path.string(), &bytes)) bytes.clear();
  return bytes;
}

inline std::string ReadFileText(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace testsupport
