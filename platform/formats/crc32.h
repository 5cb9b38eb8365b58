// The CRC-32 of gzip and of .evtx files (the reflected polynomial
// 0xEDB88320), the value that zlib's crc32() gives: whole 16-byte blocks are
// folded with carry-less multiplication where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace formats {

// The CRC of `size` bytes continued from `crc` (0 to start).
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace formats
