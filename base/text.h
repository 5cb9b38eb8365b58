// UTF-16 text utilities: length, comparison, case folding as the CRT does it
// in the "C" locale, UTF-8 conversion and CRT-style number parsing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cmr {

// Length of a null-terminated UTF-16 text; 0 for a null pointer.
size_t TextLength(const char16_t* text);

// towlower in the "C" locale: only 'A'..'Z' change.
char16_t ToLowerC(char16_t c);
std::u16string ToLowerC(std::u16string_view text);

// Ordinal and case-insensitive comparisons (as wcscmp and _wcsicmp in the
// "C" locale): negative, zero or positive.
int Compare(std::u16string_view a, std::u16string_view b);
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// Replaces every occurrence of `from`, scanning left to right and going on
// after each replacement.
void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to);

struct LessNoCase {
  bool operator()(std::u16string_view a, std::u16string_view b) const { return CompareNoCase(a, b) < 0; }
  using is_transparent = void;
};

// UTF-8 <-> UTF-16; surrogate pairs as pairs, invalid input as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Narrow text in the "C" locale (one byte, one character), as the CRT widens it.
std::u16string WidenC(std::string_view text);
// A text of ASCII digits and letters made narrow (characters above 0xFF become '?').
std::string NarrowC(std::u16string_view text);

// CRT number parsing: leading white space, an optional sign, digits; stops
// at the first other character; no digits give 0.
// _wtoi / atoi: saturates at INT32_MIN/INT32_MAX on overflow, as the CRT does.
int32_t ParseInt32(std::u16string_view text);
// _wtoi64 / _atoi64: saturates at INT64_MIN/INT64_MAX.
int64_t ParseInt64(std::u16string_view text);
// wcstoul with a base (0: 0x prefix means 16, a leading 0 means 8); a minus
// sign negates in unsigned arithmetic; overflow gives ULONG_MAX (32 bits).
// *end, when given, receives the index of the first unparsed character
// (0 when nothing was parsed).
uint32_t ParseUInt32(std::u16string_view text, int base = 10, size_t* end = nullptr);
// _wcstoui64.
uint64_t ParseUInt64(std::u16string_view text, int base = 10, size_t* end = nullptr);

// Decimal text of a number.
std::u16string ToText(int64_t value);
std::u16string ToTextUnsigned(uint64_t value);

}  // namespace cmr
