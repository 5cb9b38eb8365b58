// SID conversion, validation and copying.
#include <cstring>

#include "platform/api/kernel.h"
#include "platform/api/security.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/last_error.h"
#include "platform/host/security/sid_value.h"

namespace {

using host::Fail;

}  // namespace

BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid) {
  if (DWORD e = HOST_FAULT("ConvertSidToStringSidW")) return Fail(e);
  if (!sid || !stringSid) return Fail(ERROR_INVALID_PARAMETER);
  if (!host::IsWellFormedSid(sid)) return Fail(ERROR_INVALID_SID);
  std::u16string text = host::SidText(host::SidOf(sid));
  auto* out = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
  if (!out) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  *stringSid = out;
  return TRUE;
}

BOOL ConvertStringSidToSidW(LPCWSTR stringSid, PSID* sid) {
  if (DWORD e = HOST_FAULT("ConvertStringSidToSidW")) return Fail(e);
  if (!stringSid || !sid) return Fail(ERROR_INVALID_PARAMETER);
  host::SidBytes bytes;
  if (!host::ParseSid(stringSid, &bytes)) return Fail(ERROR_INVALID_SID);
  void* out = LocalAlloc(LMEM_FIXED, bytes.size());
  if (!out) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  std::memcpy(out, bytes.data(), bytes.size());
  *sid = out;
  return TRUE;
}

BOOL IsValidSid(PSID sid) { return host::IsWellFormedSid(sid) ? TRUE : FALSE; }

DWORD GetLengthSid(PSID sid) { return host::IsWellFormedSid(sid) ? static_cast<DWORD>(host::SidLength(sid)) : 0; }

BOOL CopySid(DWORD destinationLength, PSID destination, PSID source) {
  if (DWORD e = HOST_FAULT("CopySid")) return Fail(e);
  if (!host::IsWellFormedSid(source)) return Fail(ERROR_INVALID_SID);
  size_t length = host::SidLength(source);
  if (destinationLength < length) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (!destination) return Fail(ERROR_INVALID_PARAMETER);
  std::memmove(destination, source, length);
  return TRUE;
}

BOOL EqualSid(PSID a, PSID b) {
  SetLastError(ERROR_SUCCESS);
  if (!host::IsWellFormedSid(a) || !host::IsWellFormedSid(b)) return FALSE;
  size_t length = host::SidLength(a);
  return length == host::SidLength(b) && std::memcmp(a, b, length) == 0;
}
