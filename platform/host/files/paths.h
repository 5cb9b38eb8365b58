// Windows paths on the host. Drive paths of the local computer live under
// its Root() ("C:\x" -> <root>/C/x), administrative shares of any computer
// likewise ("\\NAME\C$\x" -> <root>/C/x, "\\NAME\ADMIN$\x" ->
// <root>/C/Windows/x), and the Z: drive is the Linux root, as Wine shows it.
// A Linux absolute path ("/tmp/x") is used as it is. Backslash and slash
// both separate; names match an existing entry case-insensitively.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/types.h"

namespace host {

// Returns 0 and the Linux path, or the Win32 error of the path: 53 for an
// unknown or unreachable computer, 67 for a share other than X$ and ADMIN$,
// 3 for a drive of a computer without a root, 123 for an empty path.
DWORD MapPath(std::u16string_view windowsPath, std::string* linuxPath);

// The Windows form of a Linux path, through the Z: drive: "/a/b" -> "Z:\a\b".
std::u16string WindowsPathOf(std::string_view linuxPath);

}  // namespace host
