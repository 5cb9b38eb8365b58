// Text of entry field values: escaping of the framing characters and
// replacement of UTF-16 noncharacters.
#pragma once

#include <string>
#include <string_view>

// Every one of "~^#;:", LF, CR and NUL becomes "^" and its code as four
// upper-case hexadecimal digits (a tilde becomes ^007E); embedded NULs are
// processed too.
std::u16string EscapeFieldValue(std::u16string_view text);
// The same, appended to out.
void AppendEscapedFieldValue(std::u16string& out, std::u16string_view text);

// U+FFFE, U+FFFF and U+FDD0..U+FDEF become U+FFFD; the length is unchanged.
std::u16string ReplaceNoncharacters(std::u16string_view text);

// The inverse of EscapeFieldValue for a reader: every "^" followed by four
// hexadecimal digits becomes the character they encode; a caret without four
// digits is kept as it is.
std::u16string UnescapeFieldValue(std::u16string_view text);
