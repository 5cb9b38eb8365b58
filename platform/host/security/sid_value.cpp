#include "platform/host/security/sid_value.h"

#include <cstdio>
#include <cstring>

#include "platform/host/security/well_known_sids.h"

namespace host {
namespace {

constexpr ULONGLONG kMaxAuthority = 0xFFFFFFFFFFFFULL;

// Reads an unsigned number (decimal, or hexadecimal after "0x") that ends at
// a '-' or at the end; false on anything else or above `limit`.
bool ReadNumber(std::u16string_view text, size_t* pos, ULONGLONG limit, ULONGLONG* value) {
  size_t i = *pos;
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  size_t start = i;
  ULONGLONG v = 0;
  for (; i < text.size() && text[i] != u'-'; ++i) {
    char16_t c = text[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return false;
    v = v * base + digit;
    if (v > limit) return false;
  }
  if (i == start) return false;
  *pos = i;
  *value = v;
  return true;
}

void PutDword(SidBytes* sid, DWORD v) {
  for (int k = 0; k < 4; ++k) sid->push_back(static_cast<BYTE>(v >> (8 * k)));
}

DWORD GetDword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
         static_cast<DWORD>(p[3]) << 24;
}

}  // namespace

bool ParseSidString(std::u16string_view text, SidBytes* sid) {
  if (text.size() < 4 || (text[0] != u'S' && text[0] != u's') || text[1] != u'-') return false;
  size_t pos = 2;
  ULONGLONG revision = 0, authority = 0;
  if (!ReadNumber(text, &pos, 0xFF, &revision) || revision != SID_REVISION) return false;
  if (pos >= text.size() || text[pos] != u'-') return false;
  ++pos;
  if (!ReadNumber(text, &pos, kMaxAuthority, &authority)) return false;
  std::vector<DWORD> subs;
  while (pos < text.size()) {
    ++pos;  // the '-'
    ULONGLONG sub = 0;
    if (!ReadNumber(text, &pos, 0xFFFFFFFFULL, &sub) || subs.size() == SID_MAX_SUB_AUTHORITIES) return false;
    subs.push_back(static_cast<DWORD>(sub));
  }
  sid->clear();
  sid->push_back(SID_REVISION);
  sid->push_back(static_cast<BYTE>(subs.size()));
  for (int k = 5; k >= 0; --k) sid->push_back(static_cast<BYTE>(authority >> (8 * k)));
  for (DWORD sub : subs) PutDword(sid, sub);
  return true;
}

bool ParseSid(std::u16string_view text, SidBytes* sid) {
  if (ParseSidString(text, sid)) return true;
  const WellKnownAccount* known = FindWellKnownAlias(text);
  return known && ParseSidString(known->sid, sid);
}

std::u16string SidText(const SidBytes& sid) {
  ULONGLONG authority = 0;
  for (int k = 0; k < 6; ++k) authority = authority << 8 | sid[2 + k];
  std::string text = "S-" + std::to_string(sid[0]) + "-";
  if (authority > 0xFFFFFFFFULL) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%012llX", static_cast<unsigned long long>(authority));
    text += hex;
  } else {
    text += std::to_string(authority);
  }
  for (size_t i = 0; i < sid[1]; ++i) text += "-" + std::to_string(GetDword(&sid[8 + 4 * i]));
  return std::u16string(text.begin(), text.end());
}

bool IsWellFormedSid(const void* sid) {
  if (!sid) return false;
  auto* p = static_cast<const BYTE*>(sid);
  return p[0] == SID_REVISION && p[1] <= SID_MAX_SUB_AUTHORITIES;
}

size_t SidLength(const void* sid) { return 8 + 4 * static_cast<const BYTE*>(sid)[1]; }

SidBytes SidOf(const void* sid) {
  auto* p = static_cast<const BYTE*>(sid);
  return SidBytes(p, p + SidLength(sid));
}

SidBytes ParentSid(const SidBytes& sid) {
  if (sid.size() < 12 || sid[1] == 0) return sid;
  SidBytes parent(sid.begin(), sid.end() - 4);
  parent[1] = static_cast<BYTE>(parent[1] - 1);
  return parent;
}

}  // namespace host
