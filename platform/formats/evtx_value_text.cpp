// Text forms of event values, as the Windows Event Log renders them, and the
// conversions EvtRender applies to System properties.
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/api/civil_date.h"
#include "platform/formats/evtx_value.h"

namespace formats {
namespace {

void AppendAscii(std::u16string& out, const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(s[i]));
}

template <typename T>
void AppendNumber(std::u16string& out, T v, int base = 10) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, base);
  AppendAscii(out, buf, static_cast<size_t>(r.ptr - buf));
}

void AppendHex(std::u16string& out, uint64_t v) {
  out += u"0x";
  AppendNumber(out, v, 16);
}

void AppendDouble(std::u16string& out, double d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  AppendAscii(out, buf, static_cast<size_t>(r.ptr - buf));
}

void AppendUpperHex(std::u16string& out, const uint8_t* p, size_t n) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  for (size_t i = 0; i < n; ++i) {
    out.push_back(digits[p[i] >> 4]);
    out.push_back(digits[p[i] & 15]);
  }
}

void AppendPadded(std::u16string& out, uint64_t v, int width) {
  char16_t buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v && n < 24);
  while (n < width && n < 24) buf[n++] = u'0';
  while (n) out.push_back(buf[--n]);
}

void AppendDateTime(std::u16string& out, int64_t y, unsigned mo, unsigned d, unsigned h, unsigned mi, unsigned s,
                    uint64_t fraction7) {
  AppendPadded(out, static_cast<uint64_t>(y < 0 ? 0 : y), 4);
  out += u'-';
  AppendPadded(out, mo, 2);
  out += u'-';
  AppendPadded(out, d, 2);
  out += u'T';
  AppendPadded(out, h, 2);
  out += u':';
  AppendPadded(out, mi, 2);
  out += u':';
  AppendPadded(out, s, 2);
  out += u'.';
  AppendPadded(out, fraction7, 7);
  out += u'Z';
}

void AppendFileTime(std::u16string& out, uint64_t ft) {
  constexpr uint64_t kTicksPerSecond = 10000000;
  uint64_t seconds = ft / kTicksPerSecond;
  uint64_t sod = seconds % 86400;
  const plat::CivilDate date = plat::CivilFromDays(static_cast<int64_t>(seconds / 86400));
  AppendDateTime(out, date.year, date.month, date.day, static_cast<unsigned>(sod / 3600),
                 static_cast<unsigned>(sod / 60 % 60), static_cast<unsigned>(sod % 60), ft % kTicksPerSecond);
}

void AppendSid(std::u16string& out, const std::vector<uint8_t>& sid) { out += EvtxSidText(sid); }

void AppendScalarText(const EvtxValue& v, std::u16string& out) {
  switch (v.baseType()) {
    case EvtVarTypeNull: return;
    case EvtVarTypeString: out += v.text; return;
    case EvtVarTypeAnsiString:
      for (uint8_t c : v.bytes) out.push_back(c);  // code page 1252 taken as Latin-1
      return;
    case EvtVarTypeSByte:
    case EvtVarTypeInt16:
    case EvtVarTypeInt32:
    case EvtVarTypeInt64: AppendNumber(out, v.asInt64()); return;
    case EvtVarTypeByte:
    case EvtVarTypeUInt16:
    case EvtVarTypeUInt32:
    case EvtVarTypeUInt64: AppendNumber(out, v.bits); return;
    case EvtVarTypeSingle:
    case EvtVarTypeDouble: AppendDouble(out, v.asDouble()); return;
    case EvtVarTypeBoolean: out += v.bits ? u"true" : u"false"; return;
    case EvtVarTypeGuid: out += EvtxGuidText(v.asGuid()); return;
    case EvtVarTypeSizeT:
    case EvtVarTypeHexInt32:
    case EvtVarTypeHexInt64: AppendHex(out, v.bits); return;
    case EvtVarTypeFileTime: AppendFileTime(out, v.bits); return;
    case EvtVarTypeSysTime: {
      SYSTEMTIME st = v.asSystemTime();
      AppendDateTime(out, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                     static_cast<uint64_t>(st.wMilliseconds) * 10000);
      return;
    }
    case EvtVarTypeSid: AppendSid(out, v.bytes); return;
    default: AppendUpperHex(out, v.bytes.data(), v.bytes.size()); return;
  }
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Parses a decimal or 0x-prefixed hexadecimal unsigned number, optionally negative.
bool ParseInteger(std::u16string_view s, uint64_t& out) {
  bool negative = !s.empty() && s[0] == u'-';
  if (negative) s.remove_prefix(1);
  int base = 10;
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) base = 16, s.remove_prefix(2);
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char16_t c : s) {
    int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  out = negative ? static_cast<uint64_t>(-static_cast<int64_t>(v)) : v;
  return true;
}

bool IsIntegerType(uint8_t t) {
  switch (t) {
    case EvtVarTypeSByte:
    case EvtVarTypeByte:
    case EvtVarTypeInt16:
    case EvtVarTypeUInt16:
    case EvtVarTypeInt32:
    case EvtVarTypeUInt32:
    case EvtVarTypeInt64:
    case EvtVarTypeUInt64:
    case EvtVarTypeBoolean:
    case EvtVarTypeSizeT:
    case EvtVarTypeFileTime:
    case EvtVarTypeHexInt32:
    case EvtVarTypeHexInt64: return true;
    default: return false;
  }
}

}  // namespace

std::u16string EvtxSidText(std::span<const uint8_t> sid) {
  if (sid.size() < 8 || sid[0] != 1 || sid.size() != 8 + 4 * static_cast<size_t>(sid[1])) return {};
  std::u16string out = u"S-1-";
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[static_cast<size_t>(i)];
  if (authority >= (1ull << 32)) {
    out += u"0x";
    AppendUpperHex(out, sid.data() + 2, 6);
  } else {
    AppendNumber(out, authority);
  }
  for (size_t i = 0; i < sid[1]; ++i) {
    uint32_t sub;
    std::memcpy(&sub, sid.data() + 8 + 4 * i, 4);
    out += u'-';
    AppendNumber(out, sub);
  }
  return out;
}

bool ParseEvtxSid(std::u16string_view text, std::vector<uint8_t>& sid) {
  if (text.size() < 4 || (text.substr(0, 4) != u"S-1-" && text.substr(0, 4) != u"s-1-")) return false;
  text.remove_prefix(4);
  std::vector<uint64_t> parts;
  while (true) {
    size_t dash = text.find(u'-');
    uint64_t v;
    if (!ParseInteger(text.substr(0, dash), v)) return false;
    parts.push_back(v);
    if (dash == std::u16string_view::npos) break;
    text.remove_prefix(dash + 1);
  }
  if (parts.size() > 16 || parts[0] >= (1ull << 48)) return false;
  sid.assign(8, 0);
  sid[0] = 1;
  sid[1] = static_cast<uint8_t>(parts.size() - 1);
  for (int i = 0; i < 6; ++i) sid[static_cast<size_t>(7 - i)] = static_cast<uint8_t>(parts[0] >> (8 * i));
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] > 0xFFFFFFFFu) return false;
    uint32_t sub = static_cast<uint32_t>(parts[i]);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&sub);
    sid.insert(sid.end(), p, p + 4);
  }
  return true;
}

std::u16string EvtxGuidText(const GUID& g) {
  char buf[40];
  int n = std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                        static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                        g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  std::u16string out;
  AppendAscii(out, buf, static_cast<size_t>(n));
  return out;
}

bool ParseEvtxGuid(std::u16string_view text, GUID& g) {
  if (text.size() == 38 && text.front() == u'{' && text.back() == u'}') text = text.substr(1, 36);
  if (text.size() != 36) return false;
  uint8_t b[16];
  size_t k = 0;
  for (size_t i = 0; i < 36;) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i++] != u'-') return false;
      continue;
    }
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    b[k++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  g.Data1 = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
  g.Data2 = static_cast<uint16_t>((b[4] << 8) | b[5]);
  g.Data3 = static_cast<uint16_t>((b[6] << 8) | b[7]);
  std::memcpy(g.Data4, b + 8, 8);
  return true;
}

std::u16string EvtxFileTimeText(uint64_t filetime) {
  std::u16string out;
  AppendFileTime(out, filetime);
  return out;
}

void AppendEvtxValueText(const EvtxValue& value, std::u16string& out) {
  if (!value.isArray()) return AppendScalarText(value, out);
  for (size_t i = 0; i < value.items.size(); ++i) {
    if (i) out += u", ";
    AppendScalarText(value.items[i], out);
  }
}

std::u16string EvtxValueText(const EvtxValue& value) {
  std::u16string out;
  AppendEvtxValueText(value, out);
  return out;
}

EvtxValue ConvertEvtxValue(const EvtxValue& value, EVT_VARIANT_TYPE target) {
  if (value.isNull() || value.type == target) return value;
  if (value.isArray()) return {};
  uint8_t from = value.baseType();
  if (target == EvtVarTypeString) return EvtxValue::String(EvtxValueText(value));
  if (IsIntegerType(static_cast<uint8_t>(target))) {
    if (IsIntegerType(from)) return EvtxValue::Integer(target, value.bits);
    uint64_t v;
    if (from == EvtVarTypeString && ParseInteger(value.text, v)) return EvtxValue::Integer(target, v);
    return {};
  }
  if (target == EvtVarTypeGuid && from == EvtVarTypeString) {
    GUID g;
    return ParseEvtxGuid(value.text, g) ? EvtxValue::Guid(g) : EvtxValue{};
  }
  if (target == EvtVarTypeSid && from == EvtVarTypeString) {
    std::vector<uint8_t> sid;
    return ParseEvtxSid(value.text, sid) ? EvtxValue::Sid(std::move(sid)) : EvtxValue{};
  }
  return {};
}

}  // namespace formats
