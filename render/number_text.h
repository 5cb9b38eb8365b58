// Numbers appended to a UTF-16 text without a format: the hot paths of the
// entry fields (every field of every record goes through them).
#pragma once

#include <cstdint>
#include <string>

// Decimal, at least minDigits digits (zero-padded).
void AppendUnsigned(std::u16string& out, uint64_t value, int minDigits = 1);
void AppendSigned(std::u16string& out, int64_t value);
// Exactly `digits` hexadecimal digits (the low ones), upper or lower case.
void AppendHexDigits(std::u16string& out, uint64_t value, int digits, bool upper = true);
// Hexadecimal without leading zeros ("%x", "%I64x").
void AppendHex(std::u16string& out, uint64_t value, bool upper = false);
