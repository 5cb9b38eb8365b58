// The Windows version facts of one simulated computer (GetVersionExW).
#pragma once

#include <string>

#include "platform/api/kernel.h"

namespace host {

class Computer;

struct SystemVersion {
  explicit SystemVersion(Computer&) {}

  DWORD major = 6;
  DWORD minor = 1;
  DWORD build = 7601;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  std::u16string servicePack = u"Service Pack 1";
  WORD servicePackMajor = 1;
  WORD servicePackMinor = 0;
  WORD suiteMask = 0x0100;  // VER_SUITE_SINGLEUSERTS
  BYTE productType = VER_NT_WORKSTATION;
};

}  // namespace host
