// Registry text files ("Windows Registry Editor Version 5.00"): parsed into
// and written from a list of keys with their values, independent of any
// registry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

struct RegTextValue {
  std::u16string name;  // empty: the default value (@)
  bool remove = false;  // "name"=-
  uint32_t type = 0;    // REG_* number
  std::vector<uint8_t> data;
};

struct RegTextKey {
  std::u16string path;  // full path starting with the root name
  bool remove = false;  // [-path]
  std::vector<RegTextValue> values;
};

// Reads the bytes of a .reg file: UTF-16LE with a byte-order mark, as regedit
// writes it, or UTF-8. False with a message naming the line when the text is
// malformed.
bool ParseRegText(std::string_view bytes, std::vector<RegTextKey>* keys, std::string* error);

// Writes keys as regedit does: UTF-16LE with a byte-order mark, CR LF line
// ends, long hex lists continued with a backslash. A string value that would
// not survive a round trip as "text" (no closing null, an embedded null or a
// line break) is written as hex(1).
std::string WriteRegText(const std::vector<RegTextKey>& keys);

}  // namespace formats
