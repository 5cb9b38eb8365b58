// JSON text: a UTF-16 text as a quoted JSON string in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cmr {

// Quotes and escapes: '"' and '\\' escaped, \n \r \t by name, other control
// characters and lone surrogates as \uXXXX.
std::string JsonString(std::u16string_view text);

}  // namespace cmr
