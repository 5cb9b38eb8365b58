// Paths of loaded modules, for GetModuleFileNameW. The library loader
// registers each handle it hands out; a handle that is an address inside a
// loaded shared object (the object's own code or data) is found through the
// dynamic linker.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

void RegisterModulePath(HMODULE module, std::string linuxPath);
void ForgetModule(HMODULE module);

// The path that the executable has for GetModuleFileNameW(NULL) and so for
// everything kept beside it (the Tracing folder): tests that run at the same
// time give each its own. Empty goes back to the real executable.
void SetExecutablePath(std::string linuxPath);

// The Linux path of a module; NULL is the process's executable.
bool ModulePath(HMODULE module, std::string* linuxPath);

}  // namespace host
