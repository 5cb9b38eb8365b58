// One log of a computer as listed: what a "*" run reports for each log.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

// Interface numbers of the configuration and the log list.
enum : int32_t { kApiNone = 0, kApiClassic = 1, kApiVista = 2 };

struct LogInfoEntry {
  std::u16string Name;
  std::u16string DisplayName;
  int32_t API = 0;  // 1 classic interface, 2 Windows Event Log interface
  int32_t APIUsed = 0;
  int32_t ChannelType = 0;  // 0 for classic logs; 2 analytic, 3 debug channels
  int32_t Enabled = 0;      // 0 or 1
  uint64_t NumOfRecords = 0;
};

}  // namespace cmr
