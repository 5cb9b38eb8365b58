// Filter patterns: '*' matches any run of characters (the empty run too),
// '?' any one character except '.', every other character itself.
#pragma once

#include <string_view>

namespace cmr {

// Characters compared exactly.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text);
// Characters compared after towlower in the "C" locale.
bool WildcardMatchNoCase(std::u16string_view pattern, std::u16string_view text);

}  // namespace cmr
