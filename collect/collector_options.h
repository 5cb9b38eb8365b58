// What the per-log pipeline hands a log collector: the run's switches and
// the configuration values the collectors read.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

// The switches of one run, copied into the collector.
struct CollectorOptions {
  uint8_t ProcessBackups = 0;         // follow the log's archived backup files
  uint16_t DeleteBackups = 0;         // hours after which a fully read backup is deleted; 0 never
  uint32_t BufSize = 0;               // first size of the classic read buffer (it grows on demand)
  uint32_t OpenLogAttemptCount = 10;  // tries to open a classic log while the server is unavailable
  uint32_t ReaderParameter = 100;     // batch size of the Windows Event Log reader
};

// The task configuration's values that the collectors read. The task layer
// fills it from its configuration; the collector borrows it.
struct CollectorSettings {
  std::u16string LogName;
  std::u16string LoadFromEvtFile;
  bool SeekLastFirstRun = true;
  bool CollectEventResources = false;
  bool ResolveComputerName = false;
  uint16_t UserLanguage = 0;
  int32_t PreferredAPI = 1;
  int32_t FallbackAPI = 2;
  bool ResolveSIDs = false;
  bool ResolveMACs = false;
};

}  // namespace cmr
