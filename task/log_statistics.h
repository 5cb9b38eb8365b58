// Statistics of a log through the classic interface: the time and event
// identifier of its oldest and newest record and whether it is full
// (ITask::GetEventLogStatistics).
#pragma once

#include <string>

#include "platform/api/oleauto.h"

namespace cmr {

// The statistics of the log `logName` on the computer `dcName` (a NULL
// computer or out pointer is refused). Each step that fails is reported
// through the COM error object and ends the call with its HRESULT; the
// outputs of the steps before it stay written, the later ones are left
// as they were. The log is closed on every path.
HRESULT GetEventLogStatistics(const std::u16string& logName, BSTR dcName, LONG* oldestRecordDate, LONG* oldestEventId,
                              LONG* newestRecordDate, LONG* newestEventId, VARIANT_BOOL* eventLogFull);

}  // namespace cmr
