#include "render/field_text.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define EC_FIELD_TEXT_SSE2 1
#endif

#include "render/number_text.h"

namespace cmr {

namespace {

constexpr char16_t kEscapedCharacters[] = {u'~', u'^', u'#', u';', u':', u'\n', u'\r', u'\0'};

constexpr bool NeedsEscape(char16_t c) {
  for (char16_t escaped : kEscapedCharacters) {
    if (c == escaped) return true;
  }
  return false;
}

// NeedsEscape of every ASCII character (no other character needs it).
constexpr std::array<bool, 128> kEscapedAscii = [] {
  std::array<bool, 128> table{};
  for (char16_t c = 0; c < 128; ++c) table[c] = NeedsEscape(c);
  return table;
}();

constexpr bool IsNoncharacter(char16_t c) { return c == 0xFFFE || c == 0xFFFF || (c >= 0xFDD0 && c <= 0xFDEF); }

template <class Char>
Char* PutEscape(Char* out, char16_t c) {
  *out++ = static_cast<Char>('^');
  return PutHexDigits(out, c, 4);
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

char* PutUtf8(char* out, char32_t c) {
  if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
  } else {
    if (c < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
    } else {
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  *out++ = static_cast<char>(0x80 | (c & 0x3F));
  return out;
}

// A character at or above U+0080 starting at *p (advanced past it): a
// surrogate pair joined, an unpaired surrogate as U+FFFD.
char32_t NonAsciiCharacter(const char16_t*& p, const char16_t* end, bool replaceNoncharacters) {
  char16_t c = *p++;
  if (c >= 0xD800 && c <= 0xDBFF && p != end && *p >= 0xDC00 && *p <= 0xDFFF) {
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (*p++ - 0xDC00);
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
  if (replaceNoncharacters && IsNoncharacter(c)) return 0xFFFD;
  return c;
}

// One character at *p (p advanced past it): an ASCII character, escaped when
// asked, or the UTF-8 bytes of any other.
template <bool kEscape, bool kReplaceNoncharacters>
char* PutCharacter(char* out, const char16_t*& p, const char16_t* end) {
  char16_t c = *p;
  if (c >= 0x80) return PutUtf8(out, NonAsciiCharacter(p, end, kReplaceNoncharacters));
  ++p;
  if (kEscape && kEscapedAscii[c]) return PutEscape(out, c);
  *out++ = static_cast<char>(c);
  return out;
}

// The units left after the wide steps, one by one: a unit that goes in as
// one byte is written here, any other by PutCharacter.
template <bool kEscape, bool kReplaceNoncharacters>
char* PutTail(char* out, const char16_t* p, const char16_t* end) {
  while (p != end) {
    const char16_t c = *p;
    if (c < 0x80 && !(kEscape && kEscapedAscii[c])) {
      *out++ = static_cast<char>(c);
      ++p;
    } else {
      out = PutCharacter<kEscape, kReplaceNoncharacters>(out, p, end);
    }
  }
  return out;
}

#ifdef EC_FIELD_TEXT_SSE2
// Two mask bits for every unit that goes into the entry as one byte: ASCII,
// and not escaped when escaping.
template <bool kEscape>
unsigned PlainUnits(__m128i units) {
  __m128i plain =
      _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), _mm_setzero_si128());
  if (kEscape) {
    for (char16_t escaped : kEscapedCharacters)
      plain = _mm_andnot_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(escaped))), plain);
  }
  return static_cast<unsigned>(_mm_movemask_epi8(plain));
}

// Eight units (four with `half`) at a time: their bytes are stored at once
// and as many as lead with one byte each are taken. The units that follow
// make at least one byte each, so the store stays inside the value's bytes.
template <bool kEscape, bool kReplaceNoncharacters>
char* PutFormedUtf8(char* out, const char16_t* p, const char16_t* end) {
  while (end - p >= 8) {
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
    int plain = std::countr_one(PlainUnits<kEscape>(units)) / 2;
    p += plain;
    out += plain;
    if (plain < 8) out = PutCharacter<kEscape, kReplaceNoncharacters>(out, p, end);
  }
  if (end - p >= 4) {
    __m128i units = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(units, units));
    std::memcpy(out, &bytes, 4);
    int plain = std::countr_one(PlainUnits<kEscape>(units) & 0xFF) / 2;
    p += plain;
    out += plain;
  }
  return PutTail<kEscape, kReplaceNoncharacters>(out, p, end);
}
#else
template <bool kEscape, bool kReplaceNoncharacters>
char* PutFormedUtf8(char* out, const char16_t* p, const char16_t* end) {
  return PutTail<kEscape, kReplaceNoncharacters>(out, p, end);
}
#endif

}  // namespace

std::u16string EscapeFieldValue(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 30);
  AppendEscapedFieldValue(out, text);
  return out;
}

void AppendEscapedFieldValue(std::u16string& out, std::u16string_view text) {
  for (char16_t c : text) {
    if (!NeedsEscape(c)) {
      out.push_back(c);
      continue;
    }
    char16_t escape[5];
    out.append(escape, PutEscape(escape, c));
  }
}

std::u16string ReplaceNoncharacters(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (IsNoncharacter(c)) c = 0xFFFD;
  }
  return out;
}

std::u16string UnescapeFieldValue(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'^' && i + 5 <= text.size()) {
      int value = 0;
      bool ok = true;
      for (size_t k = 1; ok && k <= 4; ++k) {
        int digit = HexValue(text[i + k]);
        ok = digit >= 0;
        value = value * 16 + digit;
      }
      if (ok) {
        out.push_back(static_cast<char16_t>(value));
        i += 4;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

char* PutFieldValueUtf8(char* out, std::u16string_view text, FieldForm form) {
  const char16_t* p = text.data();
  const char16_t* end = p + text.size();
  switch (form) {
    case FieldForm::AsIs: return PutFormedUtf8<false, false>(out, p, end);
    case FieldForm::Escaped: return PutFormedUtf8<true, false>(out, p, end);
    case FieldForm::EscapedWithoutNoncharacters: return PutFormedUtf8<true, true>(out, p, end);
  }
  return out;
}

}  // namespace cmr
