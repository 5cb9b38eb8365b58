// The value of one hexadecimal digit in a text (.reg data, GUIDs, hex dumps).
#pragma once

namespace formats {

// 0 to 15 for 0-9, a-f and A-F; -1 for any other character.
constexpr int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace formats
