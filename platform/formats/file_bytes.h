// Whole-file reads and writes for the format readers and writers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace formats {

// Reads the whole file; false (and *error set) when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out, std::string* error = nullptr);
// Replaces the file's contents; false (and *error set) on failure.
bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string* error = nullptr);
// The same for content of `size` bytes given a block at a time by `read`
// (offset, block to fill), so that it need not be held whole in memory.
using BlockReader = std::function<void(uint64_t offset, std::span<uint8_t> block)>;
bool WriteFileBytes(const std::string& path, uint64_t size, const BlockReader& read, std::string* error = nullptr);

}  // namespace formats
