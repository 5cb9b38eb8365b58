#include "platform/formats/reg_text.h"

#include <cstdio>

#include "platform/api/utf.h"
#include "platform/formats/hex_digit.h"

namespace formats {
namespace {

constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;
constexpr char16_t kHeader[] = u"Windows Registry Editor Version 5.00";

std::u16string Decode(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    return text;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return plat::Utf8ToUtf16(bytes);
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
  return s;
}

// Logical lines: a line ending in a backslash outside a quoted string
// continues on the next one.
std::vector<std::pair<size_t, std::u16string>> LogicalLines(const std::u16string& text) {
  std::vector<std::pair<size_t, std::u16string>> lines;
  size_t number = 0, start = 0;
  bool continuing = false;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string_view line = Trim(std::u16string_view(text).substr(start, end - start));
    ++number;
    if (continuing) {
      lines.back().second.append(line);
    } else {
      lines.emplace_back(number, std::u16string(line));
    }
    auto& current = lines.back().second;
    continuing = !current.empty() && current.back() == u'\\' && current.find(u"=hex") != std::u16string::npos;
    if (continuing) current.pop_back();
    start = end + 1;
  }
  return lines;
}

// Reads a quoted string with \\ and \" escapes starting at s[*pos] == '"'.
bool ReadQuoted(std::u16string_view s, size_t* pos, std::u16string* out) {
  if (*pos >= s.size() || s[*pos] != u'"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < s.size(); ++i) {
    if (s[i] == u'\\' && i + 1 < s.size()) {
      out->push_back(s[++i]);
    } else if (s[i] == u'"') {
      *pos = i + 1;
      return true;
    } else {
      out->push_back(s[i]);
    }
  }
  return false;
}

bool ParseHexNumber(std::u16string_view s, uint32_t* value, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return false;
  uint32_t v = 0;
  for (char16_t c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

bool ParseHexBytes(std::u16string_view s, std::vector<uint8_t>* out) {
  out->clear();
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
    if (i >= s.size()) break;
    size_t comma = s.find(u',', i);
    std::u16string_view byte = Trim(s.substr(i, comma == std::u16string_view::npos ? s.npos : comma - i));
    uint32_t v;
    if (!ParseHexNumber(byte, &v, 2)) return false;
    out->push_back(static_cast<uint8_t>(v));
    if (comma == std::u16string_view::npos) break;
    i = comma + 1;
  }
  return true;
}

std::vector<uint8_t> StringBytes(const std::u16string& s) {
  std::vector<uint8_t> bytes;
  for (char16_t c : s) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

bool ParseData(std::u16string_view spec, RegTextValue* v) {
  if (spec == u"-") {
    v->remove = true;
    return true;
  }
  if (!spec.empty() && spec[0] == u'"') {
    size_t pos = 0;
    std::u16string text;
    if (!ReadQuoted(spec, &pos, &text) || !Trim(spec.substr(pos)).empty()) return false;
    v->type = kRegSz;
    v->data = StringBytes(text);
    return true;
  }
  if (spec.rfind(u"dword:", 0) == 0) {
    uint32_t d;
    if (!ParseHexNumber(spec.substr(6), &d, 8)) return false;
    v->type = kRegDword;
    v->data = {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d >> 16),
               static_cast<uint8_t>(d >> 24)};
    return true;
  }
  if (spec.rfind(u"hex:", 0) == 0) {
    v->type = kRegBinary;
    return ParseHexBytes(spec.substr(4), &v->data);
  }
  if (spec.rfind(u"hex(", 0) == 0) {
    size_t close = spec.find(u"):");
    if (close == std::u16string_view::npos || !ParseHexNumber(spec.substr(4, close - 4), &v->type, 8)) return false;
    return ParseHexBytes(spec.substr(close + 2), &v->data);
  }
  return false;
}

bool ParseValueLine(std::u16string_view line, RegTextValue* v) {
  size_t pos = 0;
  if (line[0] == u'@') {
    v->name.clear();
    pos = 1;
  } else if (!ReadQuoted(line, &pos, &v->name)) {
    return false;
  }
  std::u16string_view rest = Trim(line.substr(pos));
  if (rest.empty() || rest[0] != u'=') return false;
  return ParseData(Trim(rest.substr(1)), v);
}

bool Fail(std::string* error, size_t line, const char* what) {
  if (error) *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace

bool ParseRegText(std::string_view bytes, std::vector<RegTextKey>* keys, std::string* error) {
  keys->clear();
  bool sawHeader = false;
  for (auto& [number, line] : LogicalLines(Decode(bytes))) {
    if (line.empty() || line[0] == u';') continue;
    if (!sawHeader) {
      if (line != kHeader && line != u"REGEDIT4") return Fail(error, number, "not a registry file header");
      sawHeader = true;
    } else if (line[0] == u'[') {
      if (line.back() != u']') return Fail(error, number, "key line without closing bracket");
      RegTextKey key;
      key.remove = line.size() > 1 && line[1] == u'-';
      key.path = line.substr(key.remove ? 2 : 1, line.size() - (key.remove ? 3 : 2));
      if (key.path.empty()) return Fail(error, number, "empty key path");
      keys->push_back(std::move(key));
    } else if (line[0] == u'"' || line[0] == u'@') {
      if (keys->empty() || keys->back().remove) return Fail(error, number, "value outside a key");
      RegTextValue value;
      if (!ParseValueLine(line, &value)) return Fail(error, number, "malformed value");
      keys->back().values.push_back(std::move(value));
    } else {
      return Fail(error, number, "unrecognised line");
    }
  }
  if (!sawHeader) return Fail(error, 1, "empty file");
  return true;
}

namespace {

std::u16string Quote(const std::u16string& s) {
  std::u16string out = u"\"";
  for (char16_t c : s) {
    if (c == u'\\' || c == u'"') out.push_back(u'\\');
    out.push_back(c);
  }
  return out + u"\"";
}

// The string of a REG_SZ that can be written as "text", or false.
bool PlainString(const std::vector<uint8_t>& data, std::u16string* text) {
  if (data.size() < 2 || data.size() % 2 || data[data.size() - 1] || data[data.size() - 2]) return false;
  text->clear();
  for (size_t i = 0; i + 2 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0 || c == u'\r' || c == u'\n') return false;
    text->push_back(c);
  }
  return true;
}

std::u16string Ascii(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

std::u16string HexList(std::u16string line, const std::vector<uint8_t>& data) {
  for (size_t i = 0; i < data.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", data[i]);
    line += Ascii(hex);
    if (i + 1 == data.size()) break;
    line.push_back(u',');
    size_t column = line.size() - (line.rfind(u'\n') == std::u16string::npos ? 0 : line.rfind(u'\n') + 1);
    if (column > 76) line += u"\\\r\n  ";
  }
  return line;
}

std::u16string ValueLine(const RegTextValue& v) {
  std::u16string line = v.name.empty() ? u"@=" : Quote(v.name) + u"=";
  std::u16string text;
  if (v.type == kRegSz && PlainString(v.data, &text)) return line + Quote(text);
  if (v.type == kRegDword && v.data.size() == 4) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "dword:%08x",
                  static_cast<unsigned>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16)) |
                      (static_cast<unsigned>(v.data[3]) << 24));
    return line + Ascii(hex);
  }
  char prefix[24];
  if (v.type == kRegBinary) std::snprintf(prefix, sizeof prefix, "hex:");
  else std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
  return HexList(line + Ascii(prefix), v.data);
}

}  // namespace

std::string WriteRegText(const std::vector<RegTextKey>& keys) {
  std::u16string text = std::u16string(kHeader) + u"\r\n\r\n";
  for (const auto& key : keys) {
    text += (key.remove ? u"[-" : u"[") + key.path + u"]\r\n";
    for (const auto& v : key.values)
      text += (v.remove ? (v.name.empty() ? u"@" : Quote(v.name)) + u"=-" : ValueLine(v)) + u"\r\n";
    text += u"\r\n";
  }
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace formats
