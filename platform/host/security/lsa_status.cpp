#include "platform/host/security/lsa_status.h"

namespace host {
namespace {

struct StatusPair {
  NTSTATUS status;
  ULONG error;
};

constexpr ULONG kSomeNotMapped = 1301;  // ERROR_SOME_NOT_MAPPED
constexpr ULONG kNoSystemResources = 1450;
constexpr ULONG kTooManySids = 1389;
constexpr ULONG kNoSuchUser = 1317;

constexpr StatusPair kPairs[] = {
    {STATUS_SUCCESS, ERROR_SUCCESS},
    {STATUS_SOME_NOT_MAPPED, kSomeNotMapped},
    {STATUS_NONE_MAPPED, ERROR_NONE_MAPPED},
    {STATUS_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {STATUS_INVALID_HANDLE, ERROR_INVALID_HANDLE},
    {STATUS_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
    {STATUS_NO_MEMORY, ERROR_NOT_ENOUGH_MEMORY},
    {STATUS_INSUFFICIENT_RESOURCES, kNoSystemResources},
    {STATUS_OBJECT_NAME_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    {STATUS_RPC_SERVER_UNAVAILABLE, RPC_S_SERVER_UNAVAILABLE},
    {STATUS_RPC_CALL_FAILED, RPC_S_CALL_FAILED},
    {STATUS_INVALID_SID, ERROR_INVALID_SID},
    {STATUS_NO_SUCH_DOMAIN, ERROR_NO_SUCH_DOMAIN},
    {STATUS_NOT_IMPLEMENTED, ERROR_INVALID_FUNCTION},
    {STATUS_INVALID_INFO_CLASS, ERROR_INVALID_PARAMETER},
    {STATUS_BUFFER_TOO_SMALL, ERROR_INSUFFICIENT_BUFFER},
    {STATUS_TOO_MANY_SIDS, kTooManySids},
    {STATUS_NO_SUCH_USER, kNoSuchUser},
};

// Win32 errors carried as NTSTATUS values (facility 7, FACILITY_NTWIN32).
constexpr uint32_t kWin32Facility = 0xC0070000u;

}  // namespace

NTSTATUS NtStatusFromWin32(DWORD error) {
  for (const auto& pair : kPairs)
    if (pair.error == error) return pair.status;
  return static_cast<NTSTATUS>(kWin32Facility | (error & 0xFFFF));
}

}  // namespace host

// Statuses the table does not know give ERROR_MR_MID_NOT_FOUND, as on Windows.
ULONG LsaNtStatusToWinError(NTSTATUS status) {
  for (const auto& pair : host::kPairs)
    if (pair.status == status) return pair.error;
  uint32_t value = static_cast<uint32_t>(status);
  if ((value & 0xFFFF0000u) == host::kWin32Facility) return value & 0xFFFF;
  return ERROR_MR_MID_NOT_FOUND;
}
