// The accounts of a machine folder's computer, from its user profiles
// (HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList): each
// profile SID that the computer cannot translate yet becomes an account of
// the computer named after the profile's folder ("C:\Users\alice" ->
// WORKSTATION1\alice).
#pragma once

#include <cstddef>

#include "platform/host/host.h"

namespace tool {

// Returns the number of accounts added.
size_t LoadProfileAccounts(host::Computer& computer);

}  // namespace tool
