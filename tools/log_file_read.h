// The records of an exported log file as the platform reads them: a classic
// .evt file through OpenBackupEventLogW and ReadEventLogW, an .evtx file
// through EvtQuery and EvtRender of Wevtapi.dll (LoadLibraryW and
// GetProcAddress, as the component reaches it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/progress.h"
#include "tools/record_printer.h"

namespace tool {

// What a reader found damaged while it went on reading.
struct ReadReport {
  std::vector<std::string> diagnostics;  // one line each, for stderr
  uint64_t skipped = 0;                  // records known to be lost
  bool Damaged() const { return skipped > 0 || !diagnostics.empty(); }
};

// Each returns true when the file was read to its end (damage it read past
// is in `report`); false with `error` when reading stopped (the records read
// before have been printed).
bool ReadEvtRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, ReadReport& report,
                    std::string* error);
bool ReadEvtxRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, ReadReport& report,
                     std::string* error);

}  // namespace tool
