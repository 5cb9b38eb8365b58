#include "tools/option_values.h"

#include <filesystem>
#include <fstream>

#include "tools/options.h"

namespace tool {
namespace {

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A decimal number of a range list, up to `max`; false with `why`.
bool RangeNumber(const std::string& piece, uint32_t max, uint32_t* value, std::string* why) {
  std::string digits = Trimmed(piece);
  if (!IsDigits(digits)) return *why = "'" + piece + "' is not a decimal number", false;
  if (!ParseNumber(digits, value) || *value > max) return *why = digits + " is above " + std::to_string(max), false;
  return true;
}

bool CheckRange(const std::string& piece, uint32_t max, std::string* why) {
  size_t dash = piece.find('-');
  uint32_t low = 0, high = 0;
  if (!RangeNumber(piece.substr(0, dash), max, &low, why)) return false;
  if (dash == std::string::npos) return true;
  if (!RangeNumber(piece.substr(dash + 1), max, &high, why)) return false;
  if (low > high) return *why = "the range " + piece + " runs backwards", false;
  return true;
}

bool IsUtf16Text(const std::string& path) {
  char head[512];
  std::ifstream in(path, std::ios::binary);
  in.read(head, sizeof(head));
  std::streamsize n = in.gcount();
  if (n >= 2 && ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF'))) return true;
  for (std::streamsize i = 0; i < n; ++i)
    if (head[i] == '\0') return true;
  return false;
}

}  // namespace

std::string BadValue(const std::string& option, const std::string& value, const std::string& why) {
  return "--" + option + " '" + value + "': " + why;
}

bool CheckNumber(const std::string& option, const std::string& text, uint32_t max, uint32_t* value,
                 std::string* error) {
  if (ParseNumber(text, value) && *value <= max) return true;
  *error = BadValue(option, text, "takes a number from 0 to " + std::to_string(max));
  return false;
}

bool CheckRanges(const std::string& option, const std::string& text, uint32_t max, std::string* error) {
  std::string why;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (Trimmed(piece).empty()) why = "an empty piece; give numbers and ranges such as 4624,4700-4705";
    if (why.empty()) CheckRange(piece, max, &why);
    if (!why.empty()) return *error = BadValue(option, text, why), false;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool CheckIndexedText(const std::string& option, const std::string& text, uint32_t max, uint32_t* index,
                      std::string* rest, std::string* error) {
  size_t equals = text.find('=');
  std::string number = text.substr(0, equals);
  if (equals == std::string::npos || !IsDigits(number) || !ParseNumber(number, index) || *index == 0 || *index > max) {
    *error = BadValue(option, text, "takes N=TEXT with N from 1 to " + std::to_string(max));
    return false;
  }
  *rest = text.substr(equals + 1);
  return true;
}

int CheckInputFile(const std::string& path, bool utf8Document, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return *error = path + " is a folder, not a file", 2;
  if (!std::ifstream(path, std::ios::binary)) return *error = "cannot read " + path, 1;
  if (utf8Document && IsUtf16Text(path)) return *error = path + " is UTF-16 text; the document must be UTF-8", 2;
  return 0;
}

}  // namespace tool
