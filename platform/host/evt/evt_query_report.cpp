#include "platform/host/evt/evt_query_report.h"

#include "platform/host/evt/evt_objects.h"

namespace host::evt {

bool QueryReportOf(EVT_HANDLE resultSet, QueryReport* out) {
  host::Lock lock;
  auto rs = As<ResultSet>(resultSet);
  if (!rs) return false;
  *out = QueryReport{};
  if (const auto& file = rs->log->file) {
    out->diagnostics = file->diagnostics();
    out->skipped = file->skipped();
  }
  return true;
}

}  // namespace host::evt
