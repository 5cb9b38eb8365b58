// Expansion of %%n parameter references (two percent signs and a decimal
// number) inside an insertion string: each reference is replaced by the
// source's parameter message n.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace cmr {

// Gives parameter message `n` in `text`; false when the source has none.
using ParameterMessageLookup = std::function<bool(int32_t n, std::u16string& text)>;

// Replacements made in one text at most; a parameter message that refers to
// itself ("%%1%%1") would otherwise grow the text without end.
inline constexpr size_t kMaxParameterReplacements = 256;
// Characters a text may grow to; a replacement that would pass it is not made.
inline constexpr size_t kMaxExpandedLength = 32768;

// Finds each "%%" in turn; when a number n follows and the lookup has a
// message for it, every "%%n" of the whole text is replaced by the message
// (so "%%1" is also replaced inside "%%10"). References without a message
// stay. Once a bound above is reached the rest of the text stays unexpanded.
std::u16string ExpandParameterReferences(std::u16string text, const ParameterMessageLookup& lookup);

}  // namespace cmr
