// Bounds-checked little-endian access to a byte range, for the .evtx parser
// and writer. Reads past the end yield zero and are answered by in(); no read
// ever leaves the range.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace formats {

inline bool EvtxFits(std::span<const uint8_t> data, size_t offset, size_t size) {
  return offset <= data.size() && size <= data.size() - offset;
}

template <typename T>
T EvtxLoad(std::span<const uint8_t> data, size_t offset) {
  T v{};
  if (EvtxFits(data, offset, sizeof(T))) std::memcpy(&v, data.data() + offset, sizeof(T));
  return v;
}

// Reads `count` UTF-16LE code units at `offset` (caller checked the bounds).
inline void EvtxLoadUtf16(std::span<const uint8_t> data, size_t offset, size_t count, std::u16string& out) {
  out.resize(count);
  if (count) std::memcpy(out.data(), data.data() + offset, count * 2);
}

template <typename T>
void EvtxStore(std::vector<uint8_t>& out, size_t offset, T v) {
  std::memcpy(out.data() + offset, &v, sizeof(T));
}

template <typename T>
void EvtxAppend(std::vector<uint8_t>& out, T v) {
  size_t at = out.size();
  out.resize(at + sizeof(T));
  std::memcpy(out.data() + at, &v, sizeof(T));
}

inline void EvtxAppendUtf16(std::vector<uint8_t>& out, std::u16string_view s) {
  size_t at = out.size();
  out.resize(at + s.size() * 2);
  if (!s.empty()) std::memcpy(out.data() + at, s.data(), s.size() * 2);
}

// CRC-32 (RFC 1952, initial value 0) of the given bytes, continued from `crc`.
uint32_t EvtxCrc32(std::span<const uint8_t> data, uint32_t crc = 0);

}  // namespace formats
