#include "platform/host/security/sddl.h"

#include <cstring>

#include "platform/host/host.h"
#include "platform/host/security/well_known_sids.h"

namespace host {
namespace {

struct Token {
  const char16_t* text;
  DWORD value;
};

constexpr Token kAceTypes[] = {
    {u"A", ACCESS_ALLOWED_ACE_TYPE}, {u"D", ACCESS_DENIED_ACE_TYPE},           {u"AU", SYSTEM_AUDIT_ACE_TYPE},
    {u"AL", SYSTEM_ALARM_ACE_TYPE},  {u"ML", SYSTEM_MANDATORY_LABEL_ACE_TYPE},
};

constexpr Token kAceFlags[] = {
    {u"CI", CONTAINER_INHERIT_ACE},  {u"OI", OBJECT_INHERIT_ACE}, {u"NP", NO_PROPAGATE_INHERIT_ACE},
    {u"IO", INHERIT_ONLY_ACE},       {u"ID", INHERITED_ACE},      {u"SA", SUCCESSFUL_ACCESS_ACE_FLAG},
    {u"FA", FAILED_ACCESS_ACE_FLAG},
};

constexpr Token kRights[] = {
    {u"GA", GENERIC_ALL},  {u"GR", GENERIC_READ}, {u"GW", GENERIC_WRITE}, {u"GX", GENERIC_EXECUTE},
    {u"RC", READ_CONTROL}, {u"SD", DELETE},       {u"WD", WRITE_DAC},     {u"WO", WRITE_OWNER},
    {u"RP", 0x10},         {u"WP", 0x20},         {u"CC", 0x1},           {u"DC", 0x2},
    {u"LC", 0x4},          {u"SW", 0x8},          {u"LO", 0x80},          {u"DT", 0x40},
    {u"CR", 0x100},        {u"FA", 0x1F01FF},     {u"FR", 0x120089},      {u"FW", 0x120116},
    {u"FX", 0x1200A0},     {u"KA", 0xF003F},      {u"KR", 0x20019},       {u"KW", 0x20006},
    {u"KX", 0x20019},      {u"NR", 0x1},          {u"NW", 0x2},           {u"NX", 0x4},
};

template <size_t N>
bool Lookup(const Token (&table)[N], std::u16string_view text, DWORD* value) {
  for (const Token& t : table)
    if (text == t.text) {
      *value = t.value;
      return true;
    }
  return false;
}

// Concatenated two-letter tokens ("CIOI", "GAGR"), ORed together.
bool TwoLetterFlags(const Token* table, size_t n, std::u16string_view text, DWORD* value) {
  if (text.size() % 2) return false;
  *value = 0;
  for (size_t i = 0; i < text.size(); i += 2) {
    bool found = false;
    for (size_t k = 0; k < n && !found; ++k)
      if (text.substr(i, 2) == table[k].text) {
        *value |= table[k].value;
        found = true;
      }
    if (!found) return false;
  }
  return true;
}

bool ParseRights(std::u16string_view text, DWORD* mask) {
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    ULONGLONG v = 0;
    for (char16_t c : text.substr(2)) {
      int d = (c >= u'0' && c <= u'9')   ? c - u'0'
              : (c >= u'a' && c <= u'f') ? c - u'a' + 10
              : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                         : -1;
      if (d < 0 || (v = v * 16 + d) > 0xFFFFFFFFull) return false;
    }
    *mask = static_cast<DWORD>(v);
    return true;
  }
  return TwoLetterFlags(kRights, std::size(kRights), text, mask);
}

// An account: an SDDL alias or "S-1-...". 0, ERROR_NONE_MAPPED or ERROR_INVALID_PARAMETER.
DWORD ParseAccount(std::u16string_view text, SidBytes* sid) {
  if (ParseSidString(text, sid)) return 0;
  if (text.size() == 2) return ParseSid(text, sid) ? 0 : ERROR_NONE_MAPPED;
  return ERROR_INVALID_PARAMETER;
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

DWORD ParseAce(std::u16string_view text, SddlAce* ace) {
  auto fields = Split(text, u';');
  if (fields.size() != 6 && fields.size() != 7) return ERROR_INVALID_PARAMETER;
  DWORD type = 0, flags = 0, mask = 0;
  if (!Lookup(kAceTypes, fields[0], &type)) return ERROR_INVALID_PARAMETER;
  if (!TwoLetterFlags(kAceFlags, std::size(kAceFlags), fields[1], &flags)) return ERROR_INVALID_PARAMETER;
  if (!ParseRights(fields[2], &mask)) return ERROR_INVALID_PARAMETER;
  if (!fields[3].empty() || !fields[4].empty()) return ERROR_INVALID_PARAMETER;  // object ACEs are not modelled
  ace->type = static_cast<BYTE>(type);
  ace->flags = static_cast<BYTE>(flags);
  ace->mask = mask;
  return ParseAccount(fields[5], &ace->sid);
}

// "P", "AI", "AR", "NO_ACCESS_CONTROL" then "(ace)(ace)...".
DWORD ParseAcl(std::u16string_view text, bool dacl, SddlAcl* acl) {
  acl->present = true;
  size_t open = text.find(u'(');
  std::u16string_view flags = text.substr(0, open);
  while (!flags.empty()) {
    if (flags.substr(0, 17) == u"NO_ACCESS_CONTROL") {
      acl->null = true;
      flags.remove_prefix(17);
    } else if (flags[0] == u'P') {
      acl->control |= dacl ? SE_DACL_PROTECTED : SE_SACL_PROTECTED;
      flags.remove_prefix(1);
    } else if (flags.substr(0, 2) == u"AI") {
      acl->control |= dacl ? SE_DACL_AUTO_INHERITED : SE_SACL_AUTO_INHERITED;
      flags.remove_prefix(2);
    } else if (flags.substr(0, 2) == u"AR") {
      acl->control |= dacl ? SE_DACL_AUTO_INHERIT_REQ : SE_SACL_AUTO_INHERIT_REQ;
      flags.remove_prefix(2);
    } else {
      return ERROR_INVALID_PARAMETER;
    }
  }
  while (open != std::u16string_view::npos && open < text.size()) {
    if (text[open] != u'(') return ERROR_INVALID_PARAMETER;
    size_t close = text.find(u')', open);
    if (close == std::u16string_view::npos) return ERROR_INVALID_PARAMETER;
    SddlAce ace;
    if (DWORD e = ParseAce(text.substr(open + 1, close - open - 1), &ace)) return e;
    acl->aces.push_back(std::move(ace));
    open = close + 1;
  }
  if (acl->null && !acl->aces.empty()) return ERROR_INVALID_PARAMETER;
  return 0;
}

// Where the part that starts at `from` ends: at the next "X:" with X one of
// O G D S outside parentheses, or at the end.
size_t PartEnd(std::u16string_view text, size_t from) {
  int depth = 0;
  for (size_t i = from; i + 1 < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'(') ++depth;
    if (c == u')') --depth;
    if (depth == 0 && text[i + 1] == u':' && (c == u'O' || c == u'G' || c == u'D' || c == u'S')) return i;
  }
  return text.size();
}

void PutAcl(std::vector<BYTE>* out, const SddlAcl& acl) {
  size_t start = out->size();
  out->resize(start + sizeof(ACL));
  for (const SddlAce& ace : acl.aces) {
    size_t at = out->size();
    out->resize(at + 8);
    WORD size = static_cast<WORD>(8 + ace.sid.size());
    (*out)[at] = ace.type;
    (*out)[at + 1] = ace.flags;
    std::memcpy(&(*out)[at + 2], &size, 2);
    std::memcpy(&(*out)[at + 4], &ace.mask, 4);
    out->insert(out->end(), ace.sid.begin(), ace.sid.end());
  }
  ACL header{ACL_REVISION, 0, static_cast<WORD>(out->size() - start), static_cast<WORD>(acl.aces.size()), 0};
  std::memcpy(&(*out)[start], &header, sizeof header);
}

}  // namespace

DWORD ParseSddl(std::u16string_view text, SddlDescriptor* descriptor) {
  *descriptor = SddlDescriptor();
  size_t pos = 0;
  while (pos < text.size()) {
    if (pos + 1 >= text.size() || text[pos + 1] != u':') return ERROR_INVALID_PARAMETER;
    char16_t kind = text[pos];
    size_t end = PartEnd(text, pos + 2);
    std::u16string_view body = text.substr(pos + 2, end - pos - 2);
    DWORD e = ERROR_INVALID_PARAMETER;
    if (kind == u'O') e = ParseAccount(body, &descriptor->owner);
    if (kind == u'G') e = ParseAccount(body, &descriptor->group);
    if (kind == u'D') e = ParseAcl(body, true, &descriptor->dacl);
    if (kind == u'S') e = ParseAcl(body, false, &descriptor->sacl);
    if (e) return e;
    pos = end;
  }
  return 0;
}

std::vector<BYTE> SelfRelativeDescriptor(const SddlDescriptor& d) {
  std::vector<BYTE> out(sizeof(SECURITY_DESCRIPTOR_RELATIVE));
  SECURITY_DESCRIPTOR_RELATIVE header{};
  header.Revision = SECURITY_DESCRIPTOR_REVISION;
  header.Control = SE_SELF_RELATIVE | d.dacl.control | d.sacl.control;
  if (d.sacl.present) {
    header.Control |= SE_SACL_PRESENT;
    if (!d.sacl.null) {
      header.Sacl = static_cast<DWORD>(out.size());
      PutAcl(&out, d.sacl);
    }
  }
  if (d.dacl.present) {
    header.Control |= SE_DACL_PRESENT;
    if (!d.dacl.null) {
      header.Dacl = static_cast<DWORD>(out.size());
      PutAcl(&out, d.dacl);
    }
  }
  if (!d.owner.empty()) {
    header.Owner = static_cast<DWORD>(out.size());
    out.insert(out.end(), d.owner.begin(), d.owner.end());
  }
  if (!d.group.empty()) {
    header.Group = static_cast<DWORD>(out.size());
    out.insert(out.end(), d.group.begin(), d.group.end());
  }
  std::memcpy(out.data(), &header, sizeof header);
  return out;
}

}  // namespace host
