// The log statistics of ITask are the next piece of the task to be built;
// until then they answer E_NOTIMPL.
#include "base/error_report.h"
#include "task/task.h"

HRESULT CTask::GetEventLogStatistics(BSTR /*dcName*/, LONG* /*oldest_record_date*/, LONG* /*oldest_event_id*/,
                                     LONG* /*newest_record_date*/, LONG* /*newest_event_id*/,
                                     VARIANT_BOOL* /*event_log_full*/) {
  return E_NOTIMPL;
}
