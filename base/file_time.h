// FILETIME values (100 ns ticks since 1601) against the 32-bit seconds since
// 1970 of classic records and filter times.
#pragma once

#include <cstdint>
#include <optional>

namespace cmr {

inline constexpr uint64_t kFileTimeOf1970 = 116444736000000000ull;
inline constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;

// Whole seconds since 1970; none for a time before 1970 or after 2106, which
// has no 32-bit value.
constexpr std::optional<uint32_t> FileTimeToUnixSeconds32(uint64_t fileTime) {
  if (fileTime < kFileTimeOf1970) return std::nullopt;
  uint64_t seconds = (fileTime - kFileTimeOf1970) / kFileTimeTicksPerSecond;
  if (seconds > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(seconds);
}

}  // namespace cmr
