// The records of an exported log file as the platform reads them: a classic
// .evt file through OpenBackupEventLogW and ReadEventLogW, an .evtx file
// through EvtQuery and EvtRender of Wevtapi.dll (LoadLibraryW and
// GetProcAddress, as the component reaches it).
#pragma once

#include <string>

#include "tools/progress.h"
#include "tools/record_printer.h"

namespace tool {

// Each returns true when the whole file was read; false with `error` (the
// records read before the failure have been printed).
bool ReadEvtRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, std::string* error);
bool ReadEvtxRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, std::string* error);

}  // namespace tool
