#include "render/field_text.h"

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

bool NeedsEscape(char16_t c) {
  switch (c) {
    case u'~': case u'^': case u'#': case u';': case u':': case u'\n': case u'\r': case u'\0':
      return true;
    default:
      return false;
  }
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

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
    out.push_back(u'^');
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHexDigits[(c >> shift) & 0xF]);
  }
}

std::u16string ReplaceNoncharacters(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == 0xFFFE || c == 0xFFFF || (c >= 0xFDD0 && c <= 0xFDEF)) c = 0xFFFD;
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
