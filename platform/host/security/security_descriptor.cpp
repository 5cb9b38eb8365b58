// Security descriptors: from SDDL text, and the absolute form that callers
// build themselves.
#include <cstring>

#include "platform/api/kernel.h"
#include "platform/api/security.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/last_error.h"
#include "platform/host/security/sddl.h"

namespace {

using host::Fail;

bool IsSelfRelative(const void* descriptor) {
  return (static_cast<const SECURITY_DESCRIPTOR*>(descriptor)->Control & SE_SELF_RELATIVE) != 0;
}

}  // namespace

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor, PULONG size) {
  if (DWORD e = HOST_FAULT("ConvertStringSecurityDescriptorToSecurityDescriptorW")) return Fail(e);
  if (!text || !descriptor) return Fail(ERROR_INVALID_PARAMETER);
  if (revision != SDDL_REVISION_1) return Fail(ERROR_UNKNOWN_REVISION);
  host::SddlDescriptor model;
  if (DWORD e = host::ParseSddl(text, &model)) return Fail(e);
  std::vector<BYTE> bytes = host::SelfRelativeDescriptor(model);
  void* out = LocalAlloc(LMEM_FIXED, bytes.size());
  if (!out) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  std::memcpy(out, bytes.data(), bytes.size());
  *descriptor = out;
  if (size) *size = static_cast<ULONG>(bytes.size());
  return TRUE;
}

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  if (DWORD e = HOST_FAULT("InitializeSecurityDescriptor")) return Fail(e);
  if (!descriptor) return Fail(ERROR_INVALID_PARAMETER);
  if (revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  std::memset(descriptor, 0, sizeof(SECURITY_DESCRIPTOR));
  static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL defaulted) {
  if (DWORD e = HOST_FAULT("SetSecurityDescriptorDacl")) return Fail(e);
  if (!descriptor) return Fail(ERROR_INVALID_PARAMETER);
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (sd->Revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  if (IsSelfRelative(sd)) return Fail(ERROR_INVALID_SECURITY_DESCR);
  sd->Control &= static_cast<SECURITY_DESCRIPTOR_CONTROL>(~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
  sd->Dacl = nullptr;
  if (present) {
    sd->Control |= SE_DACL_PRESENT;
    sd->Dacl = dacl;
    if (defaulted) sd->Control |= SE_DACL_DEFAULTED;
  }
  return TRUE;
}

BOOL IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  if (!descriptor) return FALSE;
  auto* sd = static_cast<const SECURITY_DESCRIPTOR*>(descriptor);
  if (sd->Revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_INVALID_SECURITY_DESCR);
  if (!IsSelfRelative(sd)) return TRUE;
  auto* rel = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(descriptor);
  auto* base = static_cast<const BYTE*>(descriptor);
  for (DWORD offset : {rel->Dacl, rel->Sacl}) {
    if (!offset) continue;
    auto* acl = reinterpret_cast<const ACL*>(base + offset);
    if (acl->AclRevision < ACL_REVISION || acl->AclSize < sizeof(ACL)) return Fail(ERROR_INVALID_SECURITY_DESCR);
  }
  return TRUE;
}
