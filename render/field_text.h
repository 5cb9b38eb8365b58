// Text of entry field values: escaping of the framing characters and
// replacement of UTF-16 noncharacters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cmr {

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

// How a value goes into an entry.
enum class FieldForm {
  AsIs,                         // the text as given
  Escaped,                      // EscapeFieldValue(text)
  EscapedWithoutNoncharacters,  // EscapeFieldValue(ReplaceNoncharacters(text))
};

// The most UTF-8 bytes that PutFieldValueUtf8 writes for one UTF-16 unit (an
// escaped character).
constexpr size_t kMaxUtf8PerUnit = 5;

// Writes the value in its form as UTF-8 at `out` (room for kMaxUtf8PerUnit
// bytes per unit) and returns the end: the same bytes as converting the
// formed UTF-16 text, surrogate pairs as one character, unpaired surrogates
// as U+FFFD.
char* PutFieldValueUtf8(char* out, std::u16string_view text, FieldForm form);

}  // namespace cmr
