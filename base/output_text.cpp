#include "base/output_text.h"

#include "base/text.h"

namespace cmr {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

}  // namespace

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  size_t plain = 0;  // start of the run of characters not yet written
  auto flush = [&](size_t end) {
    if (end > plain) out += Utf16ToUtf8(text.substr(plain, end - plain));
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool high = c >= 0xD800 && c <= 0xDBFF;
    bool pairs = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pairs) {
      ++i;
      continue;
    }
    const char* named = c == u'"'    ? "\\\""
                        : c == u'\\' ? "\\\\"
                        : c == u'\n' ? "\\n"
                        : c == u'\r' ? "\\r"
                        : c == u'\t' ? "\\t"
                                     : nullptr;
    bool escape = named != nullptr || c < 0x20 || (c >= 0xD800 && c <= 0xDFFF);
    if (!escape) continue;
    flush(i);
    plain = i + 1;
    if (named) {
      out += named;
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(c >> shift) & 0xF]);
    }
  }
  flush(text.size());
  return out + "\"";
}

std::string VisibleText(std::u16string_view text) {
  std::string out;
  size_t plain = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0x20) continue;
    if (i > plain) out += Utf16ToUtf8(text.substr(plain, i - plain));
    plain = i + 1;
    if (c == u'\r') out += "\\r";
    else if (c == u'\n') out += "\\n";
    else if (c == u'\t') out += "\\t";
    else out += std::string("\\x") + kDigits[c >> 4] + kDigits[c & 0xF];
  }
  if (text.size() > plain) out += Utf16ToUtf8(text.substr(plain));
  return out;
}

}  // namespace cmr
