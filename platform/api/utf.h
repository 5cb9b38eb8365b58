// UTF-8 <-> UTF-16 conversion, the one place where the platform converts
// between the two. Invalid input (a broken UTF-8 sequence, an unpaired
// surrogate) becomes U+FFFD; conversion never fails.
#pragma once

#include <string>
#include <string_view>

namespace plat {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// True when the text has no sequence that the conversion would replace.
bool IsValidUtf8(std::string_view text);
bool IsValidUtf16(std::u16string_view text);

}  // namespace plat
