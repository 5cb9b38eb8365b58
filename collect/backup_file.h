// One archived backup file of a log ("Archive-<base>-<time>.evt[x]") as the
// backup discovery lists it, oldest first by `Time`.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

struct BackupFile {
  uint32_t IsLocal = 0;      // 1 when the computer is the local one
  std::u16string Server;     // computer name, empty for the local computer
  std::u16string FileName;   // file name as found, without folder
  int64_t Time = 0;          // seconds from the time stamp in the name, 0 without one
  std::u16string Directory;  // folder of the file, ending with a backslash

  std::u16string FullPath() const { return Directory + FileName; }
};

}  // namespace cmr
