// The CRC-32 of .evtx files (the reflected polynomial 0xEDB88320, the value
// that zlib's crc32() gives): whole 16-byte blocks are folded with
// carry-less multiplication where the processor has it.
#include <zlib.h>

#include <algorithm>

#include "platform/formats/evtx_bytes.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define EC_CRC32_FOLDING 1
#endif

namespace formats {

#ifdef EC_CRC32_FOLDING
namespace {

// The remainders, modulo the polynomial, of the powers of x that move a
// 128-bit block 512 bits (four blocks on) or 128 bits further, of x^64 for
// the last 96 bits, and the polynomial with its Barrett constant; all bit
// reflected as the CRC is.
constexpr long long kFourBlocksLow = 0x154442bd4, kFourBlocksHigh = 0x1c6e41596;
constexpr long long kOneBlockLow = 0x1751997d0, kOneBlockHigh = 0x0ccaa009e;
constexpr long long kLast96 = 0x163cd6124;
constexpr long long kPolynomial = 0x1db710641, kBarrett = 0x1f7011641;

__attribute__((target("pclmul,sse2"))) inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x multiplied on by the distance of `k`, added to `next`.
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// The CRC register (not inverted) after `blocks` (at least 4) blocks of 16 bytes.
__attribute__((target("pclmul,sse2"))) uint32_t FoldBlocks(uint32_t crc, const uint8_t* p, size_t blocks) {
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  p += 64;
  blocks -= 4;
  const __m128i four = _mm_set_epi64x(kFourBlocksHigh, kFourBlocksLow);
  for (; blocks >= 4; blocks -= 4, p += 64) {
    x0 = Fold(x0, four, Load(p));
    x1 = Fold(x1, four, Load(p + 16));
    x2 = Fold(x2, four, Load(p + 32));
    x3 = Fold(x3, four, Load(p + 48));
  }
  const __m128i one = _mm_set_epi64x(kOneBlockHigh, kOneBlockLow);
  x0 = Fold(Fold(Fold(x0, one, x1), one, x2), one, x3);
  for (; blocks > 0; --blocks, p += 16) x0 = Fold(x0, one, Load(p));
  // 128 bits to 96, to 64, then the Barrett reduction to 32.
  const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
  __m128i x = _mm_xor_si128(_mm_clmulepi64_si128(x0, one, 0x10), _mm_srli_si128(x0, 8));
  x = _mm_xor_si128(_mm_srli_si128(x, 4),
                    _mm_clmulepi64_si128(_mm_and_si128(x, low32), _mm_set_epi64x(0, kLast96), 0x00));
  const __m128i barrett = _mm_set_epi64x(kBarrett, kPolynomial);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x, t), 4)));
}

bool CanFold() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  return can;
}

}  // namespace
#endif

uint32_t EvtxCrc32(std::span<const uint8_t> bytes, uint32_t crc) {
  const uint8_t* data = bytes.data();
  size_t size = bytes.size();
#ifdef EC_CRC32_FOLDING
  if (size >= 64 && CanFold()) {
    const size_t whole = size & ~size_t{15};
    crc = ~FoldBlocks(~crc, data, whole / 16);
    data += whole;
    size -= whole;
  }
#endif
  // What is left over, or all of it, by zlib.
  while (size > 0) {
    const uInt part = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    crc = static_cast<uint32_t>(::crc32(crc, data, part));
    data += part;
    size -= part;
  }
  return crc;
}

}  // namespace formats
