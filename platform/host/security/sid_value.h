// SIDs held by value in the host: their binary form (as Windows lays it out)
// and their string form "S-1-5-21-...".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/api/security.h"

namespace host {

using SidBytes = std::vector<BYTE>;

// "S-1-<authority>-<sub-authority>..." (the authority decimal or 0x-hex, at
// most 15 sub-authorities of 32 bits) or an SDDL account alias such as "BA".
// False when the text is not a SID.
bool ParseSid(std::u16string_view text, SidBytes* sid);
// Only the "S-1-..." form.
bool ParseSidString(std::u16string_view text, SidBytes* sid);

// The standard string form: the authority in decimal below 2^32, else as
// 0x and twelve hexadecimal digits.
std::u16string SidText(const SidBytes& sid);

// True when the header is that of a SID (revision 1, at most 15
// sub-authorities). The memory behind it is not checked.
bool IsWellFormedSid(const void* sid);
size_t SidLength(const void* sid);  // 8 + 4 * count
SidBytes SidOf(const void* sid);    // a copy of a well-formed SID

// The SID without its last sub-authority (the domain of an account).
SidBytes ParentSid(const SidBytes& sid);

}  // namespace host
