// Texts for output to people and programs: a UTF-16 text as a quoted JSON
// string, or as one visible line.
#pragma once

#include <string>
#include <string_view>

namespace cmr {

// Quotes and escapes: '"' and '\\' escaped, \n \r \t by name, other control
// characters and lone surrogates as \uXXXX.
std::string JsonString(std::u16string_view text);

// UTF-8 with control characters shown as \r, \n, \t or \xNN, so that the
// text stays on its line.
std::string VisibleText(std::u16string_view text);

}  // namespace cmr
