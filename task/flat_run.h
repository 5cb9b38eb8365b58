// The library's flat Run entry point: a task run without COM activation.
#pragma once

#include "com/EventCollector_h.h"

namespace cmr {

// Calls task.Run with the arguments; the one-byte flag arrives as 0 or 1.
HRESULT RunTaskWith(ITask& task, BSTR computer, BSTR savePath, BSTR configFile, BSTR productName, bool processBackups,
                    VARIANT_BOOL cleanBackups, ULONG bufSize);

// Creates a task object directly (no registration needed) and runs it.
HRESULT RunTask(BSTR computer, BSTR savePath, BSTR configFile, BSTR productName, bool processBackups,
                VARIANT_BOOL cleanBackups, ULONG bufSize);

}  // namespace cmr
