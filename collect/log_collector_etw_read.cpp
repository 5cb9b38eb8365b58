// LogCollectorEtw: the event loop, repositioning after the log changed, the
// walk from backup to backup, and the event dump.
#include "base/error_report.h"
#include "base/trace.h"
#include "collect/log_collector_etw.h"
#include "collect/rendered_event_view.h"
#include "platform/api/kernel.h"
#include "render/record_dump.h"

namespace cmr {
namespace {

// Appended each time reading starts again at the oldest event after the
// log changed under the reader.
constexpr char16_t kChangedWarning[] =
    u"The event log file has been changed between read operations:\tsome event records may be lost. If you get this "
    u"warning frequently, try enabling log auto-backup and backup processing.";

// The log changed under the reader: the classic interface's 1503, or a
// query result set gone stale because the log was cleared or its oldest
// events were overwritten (15011).
bool LogChanged(DWORD error) { return error == ERROR_EVENTLOG_FILE_CHANGED || error == ERROR_EVT_QUERY_RESULT_STALE; }

}  // namespace

HRESULT LogCollectorEtw::ReadRecords(Run& run) {
  Trace(30, u"Processing records...");
  m_sidCache.OpenPolicy(run.computer);
  std::unique_ptr<RenderedEvent> event;
  for (;;) {
    bool end = false;
    if (!run.reader.GetNextRecord(event, end)) {
      const DWORD e = GetLastError();
      Trace(10, u"GetNextRecord failed - %d", e);
      if (!LogChanged(e)) return ReportWin32Error(E_FAIL, e, u"Event log read failure");
      if (HRESULT hr = Reposition(run, e, event, end); hr != S_OK) return hr;
    }
    if (!end) HandleRecord(run, *event);
    if (run.backups && end && run.reader.IsReadingBackup()) {
      if (HRESULT hr = JumpToNextBackup(run, end); hr != S_OK) return hr;
    }
    if (end) {
      run.warning += run.gaps.WarningText();
      return S_OK;
    }
  }
}

HRESULT LogCollectorEtw::Reposition(Run& run, DWORD error, std::unique_ptr<RenderedEvent>& event, bool& end) {
  Trace(30, u"Trying to reposition event reading");
  const LogPosition q = run.last;
  bool found = false;
  bool repositioned = true;
  if (run.backups) {
    repositioned = run.reader.FindPosition(run.computer, m_config.LogName, &q, found);
  } else {
    // A stale result set answers nothing more: the query is issued again.
    repositioned = error != ERROR_EVT_QUERY_RESULT_STALE || run.reader.OpenQuery();
    const EtwPosition p = EtwPositionOf(q);
    if (repositioned && !run.reader.Seek(p.recordId, p.fileTime, found)) repositioned = run.reader.Rewind();
    // Not found, reading starts again at the oldest event: what lay
    // between is gone.
    if (repositioned && !found) run.warning += kChangedWarning;
  }
  if (!repositioned) return ReportWin32Error(E_FAIL, error, u"Event log read failure");
  if (!found) {
    run.found = 0;
    run.gaps.ExpectAfter(q.RecordNumber, true);
  }
  if (!run.reader.GetNextRecord(event, end)) return ReportWin32Error(E_FAIL, GetLastError(), u"Event log read failure");
  return S_OK;
}

void LogCollectorEtw::HandleRecord(Run& run, const RenderedEvent& event) {
  run.last = LogPositionOf(event);
  run.gaps.Note(event.RecordId());
  if (run.first.RecordNumber == 0 && run.first.TimeWritten == 0) run.first = run.last;
  std::shared_ptr<CSidCache::SidInfo> user;
  if (PSID sid = event.UserSid()) user = m_sidCache.Lookup(sid);
  FilterContext context;
  context.logName = m_config.LogName;
  std::u16string account;
  if (user) {
    account = CSidCache::AccountText(*user);
    context.hasUser = true;
    context.userAccount = account;
  }
  if (!m_filter.MatchVista(ViewOf(event), context)) return;
  Trace(40, u"Records matches filter: %d", run.last.RecordNumber);
  DumpRecord(run.writer, event, user.get());
  if (m_config.CollectEventResources) NoteDescriptionSource(event.ProviderName(), event.FullEventId());
}

HRESULT LogCollectorEtw::JumpToNextBackup(Run& run, bool& end) {
  Trace(30, u"EOF, try to jump to next backup log");
  const bool next = run.reader.AdvanceBackup();
  Trace(30, u"next backup log exists: %d", next ? 1 : 0);
  if (!run.reader.OpenFirstAvailable(run.computer, m_config.LogName)) {
    const DWORD error = GetLastError();
    Trace(30, u"open error: %d", error);
    return ReportWin32Error(E_FAIL, error, u"Failed to open next backup log file.");
  }
  Trace(30, u"opening log successful");
  end = false;
  Trace(30, u"EOF is now %d", 0);
  return S_OK;
}

void LogCollectorEtw::DumpRecord(EventFileWriter& writer, const RenderedEvent& event, const CSidCache::SidInfo* user) {
  DumpRenderedEvent(writer, event, user, *this);
  CountWrittenRecord();
}

std::u16string LogCollectorEtw::ExpandParameters(const std::u16string& source, const std::u16string& text) {
  return descriptions_.ExpandParameters(source, text);
}

void LogCollectorEtw::WriteDescriptions(EventFileWriter& writer) {
  for (const auto& [source, ids] : m_descriptionSources) {
    for (uint32_t id : ids) descriptions_.WriteDescription(writer, source, id);
  }
}

}  // namespace cmr
