// The computer that a remote call names, when the call can reach it.
#pragma once

#include <string_view>

#include "platform/host/host.h"

namespace host {

// Null when no computer has the name or when it is unreachable. The name is
// a computer name ("", "." and "localhost" are the local computer; leading
// backslashes are ignored) or an IP address that the local computer's name
// table gives to a host whose name, or first label of it, is a computer's.
// Callers hold the host lock.
Computer* ReachableComputer(std::u16string_view name);

}  // namespace host
