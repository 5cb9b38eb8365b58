// NTSTATUS values of the LSA calls and their Win32 twins.
#pragma once

#include "platform/api/security.h"

namespace host {

// The status that LsaNtStatusToWinError turns back into `error` (used when a
// fault is injected into an LSA call).
NTSTATUS NtStatusFromWin32(DWORD error);

}  // namespace host
