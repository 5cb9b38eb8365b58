// The well-known accounts that every Windows computer translates the same
// way (NT AUTHORITY\SYSTEM, BUILTIN\Administrators, Everyone, ...), with
// their SDDL aliases.
#pragma once

#include <string_view>

#include "platform/api/security.h"

namespace host {

struct WellKnownAccount {
  const char16_t* sid;
  const char16_t* alias;  // SDDL abbreviation, or empty
  const char16_t* domain;
  const char16_t* name;
  SID_NAME_USE use;
};

// Null when the SID (string form) or the alias is not a well-known one.
const WellKnownAccount* FindWellKnownSid(std::u16string_view sid);
const WellKnownAccount* FindWellKnownAlias(std::u16string_view alias);

}  // namespace host
