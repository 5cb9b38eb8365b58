// TEMPORARY: the parts of the task that join with the collection pipeline
// and the log statistics. Until then a run of a named log fails through the
// task's own failure path (error status and text recorded, the
// configuration file rewritten), and statistics are not available.
#include "base/error_report.h"
#include "task/task.h"

HRESULT CTask::CollectLog(const std::u16string& /*computer*/, const std::u16string& /*savePath*/,
                          DWORD /*lastRecordNumber*/, DWORD /*lastTimeWritten*/, bool& /*found*/,
                          std::u16string& /*eventFileName*/, std::u16string& /*warning*/, bool /*processBackups*/,
                          WORD /*cleanBackups*/, DWORD /*bufSize*/) {
  return cmr::ReportTaskError(E_FAIL, u"Collection of event logs is not built yet");
}

HRESULT CTask::GetEventLogStatistics(BSTR /*dcName*/, LONG* /*oldest_record_date*/, LONG* /*oldest_event_id*/,
                                     LONG* /*newest_record_date*/, LONG* /*newest_event_id*/,
                                     VARIANT_BOOL* /*event_log_full*/) {
  return E_NOTIMPL;
}
