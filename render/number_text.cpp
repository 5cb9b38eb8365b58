#include "render/number_text.h"

namespace cmr {

void AppendUnsigned(std::u16string& out, uint64_t value, int minDigits) {
  char16_t digits[kMaxDecimalDigits];
  out.append(digits, PutUnsigned(digits, value, minDigits));
}

void AppendSigned(std::u16string& out, int64_t value) {
  char16_t digits[kMaxDecimalDigits + 1];
  out.append(digits, PutSigned(digits, value));
}

void AppendHexDigits(std::u16string& out, uint64_t value, int digits, bool upper) {
  char16_t text[16];
  out.append(text, PutHexDigits(text, value, digits, upper));
}

void AppendHex(std::u16string& out, uint64_t value, bool upper) {
  char16_t text[16];
  out.append(text, PutHex(text, value, upper));
}

}  // namespace cmr
