// A computer described by a folder: a registry export (*.reg files in the
// folder itself, imported in name order) and the computer's drives as
// subfolders ("C", "D", ...), for example a mounted Windows volume:
//   machine/system.reg
//   machine/C/Windows/System32/config/SysEvent.Evt
//   machine/C/Windows/System32/winevt/Logs/Application.evtx
// Classic logs are the files that the registry's "File" values name, read and
// appended in place; \\NAME\C$\... and \\NAME\ADMIN$\... reach the same
// files. Windows Event Log channels come from the winevt\Logs folder and the
// WINEVT registry keys.
#pragma once

#include <string>
#include <vector>

#include "platform/host/host.h"

namespace host {

// Makes `dir` the computer's root, imports its registry export and loads its
// channels; logs read earlier are read again. Returns 0, 3 when the folder
// does not exist, or the error of a registry file (nothing of that file is
// applied; its line is told in `diagnostics`). Problems that leave the
// computer usable (no registry export, no channel folder) are told in
// `diagnostics` too.
DWORD LoadMachineFolder(Computer& computer, const std::string& dir, std::vector<std::string>* diagnostics = nullptr);

}  // namespace host
