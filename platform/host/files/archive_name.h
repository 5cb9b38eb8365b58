// The time stamp in the name of an archive file that an automatic backup
// leaves beside a log ("Archive-<name>-<yyyy-mm-dd-hh-mm-ss-mmm>.evt[x]").
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

// The stamp for a FILETIME value: "yyyy-mm-dd-hh-mm-ss-mmm".
std::u16string ArchiveTimeText(ULONGLONG fileTime);
// The stamp for the computer's local time now (the host's clock and bias).
std::u16string ArchiveTimeNow();

}  // namespace host
