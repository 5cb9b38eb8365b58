#include "render/parameter_expansion.h"

#include <cstdint>
#include <limits>

#include "base/format.h"

namespace cmr {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The decimal number that follows "%%" at `at`, read as "%d" reads it
// (leading blanks, an optional sign); false when there is none.
bool ReadReferenceNumber(const std::u16string& text, size_t at, int32_t& n) {
  size_t i = at + 2;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  size_t digits = i;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (value <= std::numeric_limits<int32_t>::max()) value = value * 10 + (text[i] - u'0');
  }
  if (i == digits) return false;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  n = static_cast<int32_t>(negative ? -value : value);
  return true;
}

// Replaces every `token` of `text` by `message`, left to right, going on
// after each inserted message; false when a bound stopped it.
bool ReplaceToken(std::u16string& text, const std::u16string& token, const std::u16string& message,
                  size_t& replacements) {
  for (size_t at = text.find(token); at != std::u16string::npos; at = text.find(token, at)) {
    if (replacements == kMaxParameterReplacements || text.size() - token.size() + message.size() > kMaxExpandedLength) {
      return false;
    }
    text.replace(at, token.size(), message);
    at += message.size();
    ++replacements;
  }
  return true;
}

}  // namespace

std::u16string ExpandParameterReferences(std::u16string text, const ParameterMessageLookup& lookup) {
  size_t replacements = 0;
  for (size_t at = text.find(u"%%"); at != std::u16string::npos; at = text.find(u"%%", at + 2)) {
    int32_t n = 0;
    if (!ReadReferenceNumber(text, at, n)) continue;
    std::u16string message;
    if (!lookup(n, message)) continue;
    if (!ReplaceToken(text, FormatString(u"%%%%%d", n), message, replacements)) break;
  }
  return text;
}

}  // namespace cmr
