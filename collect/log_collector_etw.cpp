// LogCollectorEtw: construction, opening the channel, its backups or a given
// file, and the positioning just after the stored event.
#include "collect/log_collector_etw.h"

#include <new>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/kernel.h"

namespace cmr {

LogCollectorEtw::LogCollectorEtw(const CollectorSettings& config, const CEventFilter& filter,
                                 const CollectorOptions& options)
    : LogCollector(config, filter, options) {
  if (!config.LoadFromEvtFile.empty()) m_options.ProcessBackups = 0;
}

const std::u16string& LogCollectorEtw::Source() const {
  return m_config.LoadFromEvtFile.empty() ? m_config.LogName : m_config.LoadFromEvtFile;
}

HRESULT LogCollectorEtw::Process(const std::u16string& computer, EventFileWriter& writer, const std::u16string&,
                                 const LogPosition& stored, LogPosition& first, LogPosition& last, uint8_t& found,
                                 std::u16string& warning) {
  Trace(30, u"Processing log (ETW)");
  ETWEventLog reader(m_options.DeleteBackups, m_options.ReaderParameter);
  Run run{{computer, writer, stored, first, last, found, warning}, reader};
  run.backups = ReadsBackups(stored);
  first = {};
  last = {};
  HRESULT hr = RunSteps([&] {
    HRESULT step = OpenLog(run);
    if (step == S_OK) step = Position(run);
    if (step == S_OK) step = ReadRecords(run);
    return step;
  });
  if (hr != S_OK) return hr;
  Trace(30, u"Stored %d events", storedCount_);
  return S_OK;
}

HRESULT LogCollectorEtw::OpenLog(Run& run) {
  Trace(30, u"Opening event log...");
  if (run.backups) {
    Trace(30, u"Enumerating backups...");
    run.reader.EnumBackupFiles(run.computer, m_config.LogName);
    return S_OK;
  }
  Trace(30, u"Opening log file WITHOUT backups");
  const bool file = !m_config.LoadFromEvtFile.empty();
  if (run.reader.Open(run.computer, Source(), file ? EtwQueryKind::File : EtwQueryKind::Channel)) return S_OK;
  const DWORD error = GetLastError();
  Trace(30, u"Failed to open the event log - %d", error);
  return ReportWin32Error(E_FAIL, error, u"Failed to open the event log");
}

HRESULT LogCollectorEtw::Position(Run& run) {
  Trace(30, u"Seeking last last stored event...");
  if (run.stored.RecordNumber == 0 && m_config.SeekLastFirstRun) {
    Trace(30, u"Seeking the most recent event...");
    if (!run.reader.SeekMostRecent())
      return ReportWin32Error(E_FAIL, GetLastError(), u"Failed to query the most recent event from the event log");
    std::unique_ptr<RenderedEvent> event;
    bool end = false;
    LogPosition p{1, 1};
    if (run.reader.GetNextRecord(event, end) && !end) p = LogPositionOf(*event);
    Trace(30, u"Last position set to %d:%d", p.RecordNumber, p.TimeWritten);
    run.first = p;
    run.last = p;
    return S_OK;
  }
  if (run.stored.RecordNumber == 0) {
    if (!run.backups || run.reader.OpenFirstAvailable(run.computer, m_config.LogName)) return S_OK;
    const DWORD error = GetLastError();
    Trace(30, u"Failed to open the event log - %d", error);
    return ReportWin32Error(E_FAIL, error, u"Failed to open the event log");
  }
  // A given file is sought too: read again from its start, a file collected
  // before would hand out every event a second time.
  return SeekStored(run);
}

HRESULT LogCollectorEtw::SeekStored(Run& run) {
  Trace(30, u"Seeking last stored event: %d:%d", run.stored.RecordNumber, run.stored.TimeWritten);
  if (IsSpecial(run.stored)) {
    Trace(30, u"Special position, reading from the beginning");
  } else {
    bool found = false;
    if (run.backups) {
      if (!run.reader.FindPosition(run.computer, m_config.LogName, &run.stored, found))
        return ReportWin32Error(E_FAIL, GetLastError(), u"Backup event log seek failed");
    } else {
      const EtwPosition p = EtwPositionOf(run.stored);
      if (!run.reader.Seek(p.recordId, p.fileTime, found))
        return ReportWin32Error(E_FAIL, GetLastError(), u"Event log seek failed");
    }
    run.found = found ? 1 : 0;
    run.gaps.ExpectAfter(run.stored.RecordNumber, !found);
  }
  if (run.found) {
    Trace(30, u"found");
  } else {
    Trace(30, u"not found");
  }
  return S_OK;
}

}  // namespace cmr
