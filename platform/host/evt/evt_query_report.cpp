#include "platform/host/evt/evt_query_report.h"

#include "platform/host/evt/evt_objects.h"

namespace host::evt {
namespace {

thread_local QueryReport t_lastExport;

}  // namespace

QueryReport ReportOfLog(const EventRecordLog& log) {
  if (log.file) return QueryReport{log.file->diagnostics(), log.file->skipped()};
  return QueryReport{log.readDiagnostics, log.readSkipped};
}

QueryReport LastExportReport() { return t_lastExport; }

void KeepExportReport(QueryReport report) { t_lastExport = std::move(report); }

bool QueryReportOf(EVT_HANDLE resultSet, QueryReport* out) {
  host::Lock lock;
  auto rs = As<ResultSet>(resultSet);
  if (!rs) return false;
  *out = ReportOfLog(*rs->log);
  return true;
}

}  // namespace host::evt
