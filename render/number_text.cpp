#include "render/number_text.h"

namespace {

constexpr char16_t kUpper[] = u"0123456789ABCDEF";
constexpr char16_t kLower[] = u"0123456789abcdef";

}  // namespace

void AppendUnsigned(std::u16string& out, uint64_t value, int minDigits) {
  char16_t digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0 || n < minDigits);
  while (n > 0) out.push_back(digits[--n]);
}

void AppendSigned(std::u16string& out, int64_t value) {
  if (value < 0) {
    out.push_back(u'-');
    AppendUnsigned(out, 0 - static_cast<uint64_t>(value));
  } else {
    AppendUnsigned(out, static_cast<uint64_t>(value));
  }
}

void AppendHexDigits(std::u16string& out, uint64_t value, int digits, bool upper) {
  const char16_t* table = upper ? kUpper : kLower;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(table[(value >> shift) & 0xF]);
}

void AppendHex(std::u16string& out, uint64_t value, bool upper) {
  int digits = 1;
  while (digits < 16 && (value >> (digits * 4)) != 0) ++digits;
  AppendHexDigits(out, value, digits, upper);
}
