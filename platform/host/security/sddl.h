// Security descriptors in their text form (SDDL): "O:" owner, "G:" group,
// "D:" DACL and "S:" SACL with their flags and ACEs, for example
// "D:(A;;GA;;;WD)" (allow generic all to Everyone). Parsed into a model and
// laid out as a self-relative descriptor, byte for byte as Windows does.
#pragma once

#include <string_view>
#include <vector>

#include "platform/api/security.h"
#include "platform/host/security/sid_value.h"

namespace host {

struct SddlAce {
  BYTE type = ACCESS_ALLOWED_ACE_TYPE;
  BYTE flags = 0;
  ACCESS_MASK mask = 0;
  SidBytes sid;
};

struct SddlAcl {
  bool present = false;
  bool null = false;                        // NO_ACCESS_CONTROL: present, but no ACL at all
  SECURITY_DESCRIPTOR_CONTROL control = 0;  // SE_*_PROTECTED, SE_*_AUTO_INHERITED, ...
  std::vector<SddlAce> aces;
};

struct SddlDescriptor {
  SidBytes owner;  // empty when absent
  SidBytes group;
  SddlAcl dacl;
  SddlAcl sacl;
};

// 0 and the model, or ERROR_INVALID_PARAMETER for text that is not SDDL and
// ERROR_NONE_MAPPED for an account alias that does not exist.
DWORD ParseSddl(std::u16string_view text, SddlDescriptor* descriptor);

// The self-relative form (SE_SELF_RELATIVE): header, SACL, DACL, owner, group.
std::vector<BYTE> SelfRelativeDescriptor(const SddlDescriptor& descriptor);

}  // namespace host
