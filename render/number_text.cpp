#include "render/number_text.h"

#include <bit>

void AppendUnsigned(std::u16string& out, uint64_t value, int minDigits) {
  char16_t digits[kMaxDecimalDigits];
  out.append(digits, PutUnsigned(digits, value, minDigits));
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
  char16_t text[16];
  out.append(text, PutHexDigits(text, value, digits, upper));
}

void AppendHex(std::u16string& out, uint64_t value, bool upper) {
  int digits = value == 0 ? 1 : (std::bit_width(value) + 3) / 4;
  AppendHexDigits(out, value, digits, upper);
}
