// The computer that a remote call names, when the call can reach it.
#pragma once

#include <string_view>

#include "platform/host/host.h"

namespace host {

// Null when no computer has the name ("", "." and "localhost" are the local
// computer; leading backslashes are ignored) or when it is unreachable.
// Callers hold the host lock.
inline Computer* ReachableComputer(std::u16string_view name) {
  Computer* computer = Host::Get().Find(name);
  return computer && computer->Reachable() ? computer : nullptr;
}

}  // namespace host
