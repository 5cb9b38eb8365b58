#include "filter/wildcard.h"

#include "base/text.h"

namespace cmr {

namespace {

struct Exact {
  static bool Same(char16_t a, char16_t b) { return a == b; }
};
struct NoCase {
  static bool Same(char16_t a, char16_t b) { return a == b || cmr::ToLowerC(a) == cmr::ToLowerC(b); }
};

// Left to right; at a mismatch the text position after the last '*' moves
// one character on and the pattern after that '*' is tried again there.
template <class Rule>
bool Match(std::u16string_view pattern, std::u16string_view text) {
  const size_t none = std::u16string_view::npos;
  size_t p = 0, t = 0;
  size_t afterStar = none, starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      if (p + 1 == pattern.size()) return true;
      afterStar = ++p;
      starText = t;
      continue;
    }
    if (p < pattern.size() && (pattern[p] == u'?' ? text[t] != u'.' : Rule::Same(pattern[p], text[t]))) {
      ++p;
      ++t;
      continue;
    }
    if (afterStar == none) return false;
    p = afterStar;
    t = ++starText;
  }
  return p == pattern.size() || (p + 1 == pattern.size() && pattern[p] == u'*');
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view text) { return Match<Exact>(pattern, text); }

bool WildcardMatchNoCase(std::u16string_view pattern, std::u16string_view text) { return Match<NoCase>(pattern, text); }

}  // namespace cmr
