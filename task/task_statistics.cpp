// The task's side operations on its configured log: statistics, the audit
// policy check and the overwrite-loss warning.
#include "base/com/method_boundary.h"
#include "task/log_statistics.h"
#include "task/overwrite_warning.h"
#include "task/task.h"

namespace cmr {

HRESULT CTask::GetEventLogStatistics(BSTR dcName, LONG* oldest_record_date, LONG* oldest_event_id,
                                     LONG* newest_record_date, LONG* newest_event_id, VARIANT_BOOL* event_log_full) {
  return com::Guarded(
      [&] {
        return cmr::GetEventLogStatistics(config_.LogName, dcName, oldest_record_date, oldest_event_id,
                                          newest_record_date, newest_event_id, event_log_full);
      },
      &cmr::ReportTaskError);
}

HRESULT CTask::GetAuditStatus(const std::u16string& computer, std::vector<cmr::AuditPair>& notMet,
                              std::u16string& errorText) const {
  return cmr::GetAuditStatus(computer, config_.PolicyAuditEventTypes, notMet, errorText);
}

std::u16string CTask::OverwriteWarning(uint32_t lastCollected, uint32_t firstNew) const {
  return cmr::OverwriteWarning(config_.LogName, lastCollected, firstNew);
}

}  // namespace cmr
