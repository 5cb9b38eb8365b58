// Facts about the computer a task ran against.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

struct ComputerInfoRecord {
  uint32_t VersionMajor = 0;
  uint32_t VersionMinor = 0;
  uint32_t Type = 0;
  std::u16string FullName;
  std::u16string Domain;
};

}  // namespace cmr
