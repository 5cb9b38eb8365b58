#include "base/text.h"

#include <climits>

#include "platform/api/utf.h"

namespace cmr {
namespace {

bool IsCrtSpace(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D); }

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

// Skips blanks and a sign; returns the index of the first digit.
size_t SkipSpaceAndSign(std::u16string_view t, bool* negative) {
  size_t i = 0;
  while (i < t.size() && IsCrtSpace(t[i])) ++i;
  *negative = false;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) *negative = t[i++] == u'-';
  return i;
}

// Reads digits of a base; *overflow when the value passed `limit`.
uint64_t ReadDigits(std::u16string_view t, size_t* i, int base, uint64_t limit, bool* overflow, bool* any) {
  uint64_t value = 0;
  *overflow = *any = false;
  for (; *i < t.size(); ++*i) {
    int d = DigitValue(t[*i]);
    if (d >= base) break;
    *any = true;
    if (value > (limit - d) / base) *overflow = true;
    else value = value * base + d;
  }
  return value;
}

int DetectBase(std::u16string_view t, size_t* i, int base) {
  bool hexPrefix = *i + 1 < t.size() && t[*i] == u'0' && (t[*i + 1] == u'x' || t[*i + 1] == u'X') &&
                   *i + 2 < t.size() && DigitValue(t[*i + 2]) < 16;
  if ((base == 0 || base == 16) && hexPrefix) {
    *i += 2;
    return 16;
  }
  if (base == 0) return (*i < t.size() && t[*i] == u'0') ? 8 : 10;
  return base;
}

template <class T>
T ParseUnsigned(std::u16string_view text, int base, size_t* end, T max) {
  bool negative, overflow, any;
  size_t i = SkipSpaceAndSign(text, &negative);
  if (base < 0 || base == 1 || base > 36) {
    if (end) *end = 0;
    return 0;
  }
  base = DetectBase(text, &i, base);
  uint64_t v = ReadDigits(text, &i, base, max, &overflow, &any);
  if (end) *end = any ? i : 0;
  if (overflow) return max;
  T value = static_cast<T>(v);
  return negative ? static_cast<T>(0 - value) : value;
}

template <class T>
T ParseSigned(std::u16string_view text, T min, T max) {
  bool negative, overflow, any;
  size_t i = SkipSpaceAndSign(text, &negative);
  uint64_t limit = negative ? static_cast<uint64_t>(max) + 1 : static_cast<uint64_t>(max);
  uint64_t v = ReadDigits(text, &i, 10, limit, &overflow, &any);
  if (overflow) return negative ? min : max;
  return negative ? static_cast<T>(0 - v) : static_cast<T>(v);
}

}  // namespace

size_t TextLength(const char16_t* text) {
  size_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

char16_t ToLowerC(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  if (from.empty()) return;
  for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::u16string ToLowerC(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = ToLowerC(c);
  return out;
}

int Compare(std::u16string_view a, std::u16string_view b) { return a.compare(b); }

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<int>(ToLowerC(a[i])) - static_cast<int>(ToLowerC(b[i]));
    if (d != 0) return d;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::u16string Utf8ToUtf16(std::string_view text) { return plat::Utf8ToUtf16(text); }
std::string Utf16ToUtf8(std::u16string_view text) { return plat::Utf16ToUtf8(text); }

std::u16string WidenC(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<unsigned char>(text[i]);
  return out;
}

std::string NarrowC(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return out;
}

int32_t ParseInt32(std::u16string_view text) { return ParseSigned<int32_t>(text, INT32_MIN, INT32_MAX); }
int64_t ParseInt64(std::u16string_view text) { return ParseSigned<int64_t>(text, INT64_MIN, INT64_MAX); }

uint32_t ParseUInt32(std::u16string_view text, int base, size_t* end) {
  return ParseUnsigned<uint32_t>(text, base, end, UINT32_MAX);
}

uint64_t ParseUInt64(std::u16string_view text, int base, size_t* end) {
  return ParseUnsigned<uint64_t>(text, base, end, UINT64_MAX);
}

std::u16string ToText(int64_t value) { return WidenC(std::to_string(value)); }
std::u16string ToTextUnsigned(uint64_t value) { return WidenC(std::to_string(value)); }

}  // namespace cmr
