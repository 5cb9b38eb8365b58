// Numbers written without a format: the hot paths of the entry fields (every
// field of every record goes through them). The Put functions write at `out`
// (UTF-16 units or UTF-8 bytes) and return the end of what they wrote.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

namespace cmr {

// The most characters that PutUnsigned writes (20 digits of 2^64 - 1).
constexpr int kMaxDecimalDigits = 20;

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

// Decimal, at least minDigits digits (zero-padded, at most kMaxDecimalDigits).
template <class Char>
Char* PutUnsigned(Char* out, uint64_t value, int minDigits = 1) {
  if (value < 100 && minDigits <= 2) {  // most numbers of an entry: indexes, times, small codes
    if (value >= 10 || minDigits == 2) *out++ = static_cast<Char>('0' + value / 10);
    *out++ = static_cast<Char>('0' + value % 10);
    return out;
  }
  int digits = 1;
  for (uint64_t bound = 10; digits < kMaxDecimalDigits && value >= bound; bound *= 10) ++digits;
  if (digits < minDigits) digits = minDigits;
  Char* end = out + digits;
  Char* p = end;
  for (; value >= 100; value /= 100) {  // two digits a step: half the divisions
    const unsigned pair = static_cast<unsigned>(value % 100);
    *--p = static_cast<Char>('0' + pair % 10);
    *--p = static_cast<Char>('0' + pair / 10);
  }
  *--p = static_cast<Char>('0' + value % 10);
  if (value >= 10) *--p = static_cast<Char>('0' + value / 10);
  while (p != out) *--p = static_cast<Char>('0');
  return end;
}

// Exactly `digits` hexadecimal digits (the low ones), upper or lower case.
template <class Char>
Char* PutHexDigits(Char* out, uint64_t value, int digits, bool upper = true) {
  const char* table = upper ? kUpperHexDigits : kLowerHexDigits;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = static_cast<Char>(table[(value >> shift) & 0xF]);
  return out;
}

// Decimal with a minus sign when negative.
template <class Char>
Char* PutSigned(Char* out, int64_t value) {
  if (value >= 0) return PutUnsigned(out, static_cast<uint64_t>(value));
  *out++ = static_cast<Char>('-');
  return PutUnsigned(out, 0 - static_cast<uint64_t>(value));
}

// Hexadecimal without leading zeros ("%x", "%I64x").
template <class Char>
Char* PutHex(Char* out, uint64_t value, bool upper = false) {
  int digits = value == 0 ? 1 : (std::bit_width(value) + 3) / 4;
  return PutHexDigits(out, value, digits, upper);
}

// Decimal, at least minDigits digits (zero-padded).
void AppendUnsigned(std::u16string& out, uint64_t value, int minDigits = 1);
void AppendSigned(std::u16string& out, int64_t value);
// Exactly `digits` hexadecimal digits (the low ones), upper or lower case.
void AppendHexDigits(std::u16string& out, uint64_t value, int digits, bool upper = true);
// Hexadecimal without leading zeros ("%x", "%I64x").
void AppendHex(std::u16string& out, uint64_t value, bool upper = false);

}  // namespace cmr
