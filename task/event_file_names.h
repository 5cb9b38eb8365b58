// The names of a collection's files: the work file written while the log is
// read, and the event file it is renamed to, named after the first and last
// positions collected.
#pragma once

#include <string>

#include "collect/log_position.h"

namespace cmr {

struct EventFileNaming {
  std::u16string saveFolder;
  std::u16string computer;     // may be empty: the name then begins with "_"
  std::u16string logName;      // "/" is written "%4"
  std::u16string compactName;  // when set, replaces computer and log name
};

// "<folder>\<computer>_<log>_last.adevt", or "<folder>\<compact>_last.adevt".
std::u16string WorkFilePath(const EventFileNaming& naming);

// "<computer>_<log>_<first RN>_<first TW>_<last RN>_<last TW>.adevt" in
// lower-case hexadecimal, or "<compact>_..." with a compact name.
std::u16string EventFileName(const EventFileNaming& naming, const LogPosition& first, const LogPosition& last);

// The description file beside an event file: every ".adevt" becomes ".descr".
std::u16string DescriptionFilePath(const std::u16string& eventFilePath);

}  // namespace cmr
