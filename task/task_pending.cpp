// TEMPORARY: the part of the task that joins with the collection pipeline.
// Until then a run of a named log fails through the task's own failure path
// (error status and text recorded, the configuration file rewritten).
#include "base/error_report.h"
#include "task/task.h"

HRESULT CTask::CollectLog(const std::u16string& /*computer*/, const std::u16string& /*savePath*/,
                          DWORD /*lastRecordNumber*/, DWORD /*lastTimeWritten*/, bool& /*found*/,
                          std::u16string& /*eventFileName*/, std::u16string& /*warning*/, bool /*processBackups*/,
                          WORD /*cleanBackups*/, DWORD /*bufSize*/) {
  return cmr::ReportTaskError(E_FAIL, u"Collection of event logs is not built yet");
}
