// LogCollectorNt: construction, the opening phase and the positioning.
#include "collect/log_collector_nt.h"

#include <new>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/backup_files.h"
#include "collect/event_log_key.h"
#include "collect/opening_mutex.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

constexpr DWORD kOpenDelayMs = 1000;

}  // namespace

LogCollectorNt::LogCollectorNt(const CollectorSettings& config, const CEventFilter& filter,
                               const CollectorOptions& options)
    : LogCollector(config, filter, options),
      reader_(options.BufSize, options.DeleteBackups),
      descriptions_(u"", config.LogName) {
  descriptions_.SetLanguage(config.UserLanguage);
  if (!config.LoadFromEvtFile.empty()) {
    reader_.SetFile(config.LoadFromEvtFile);
    m_options.ProcessBackups = 0;  // a given file is never read with backups
  }
}

HRESULT LogCollectorNt::Process(const std::u16string& computer, EventFileWriter& writer, const std::u16string&,
                                const LogPosition& stored, LogPosition& first, LogPosition& last, uint8_t& found,
                                std::u16string& warning) {
  Trace(30, u"Processing log (NT)");
  Run run{computer, writer, stored, first, last, found, warning};
  descriptions_.SetComputer(computer);
  run.backups = ReadsBackups(stored);
  first = {};
  last = {};
  HRESULT hr = RunSteps([&] {
    HRESULT step = OpenUnderMutex(run);
    if (FAILED(step)) return step;
    Position(run);
    return ReadRecords(run);
  });
  if (hr != S_OK) return hr;
  for (const std::u16string& problem : reader_.UnreadBackups()) warning += UnreadBackupWarning(problem);
  Trace(30, u"Stored %d events", storedCount_);
  return S_OK;
}

HRESULT LogCollectorNt::OpenUnderMutex(Run& run) {
  Trace(30, u"Creating sync mutex...");
  OpeningMutex mutex;
  if (!mutex.Create()) return ReportWin32Error(E_FAIL, GetLastError(), u"Event log synchronization init failed");
  Trace(30, u"Waiting sync mutex...");
  if (!mutex.Wait()) return ReportWin32Error(E_FAIL, GetLastError(), u"Event log synchronization failed");
  OpenLog(run);  // a failure raises; the mutex is released on the way out
  Trace(30, u"Releasing sync mutex...");
  mutex.Release();
  return S_OK;
}

void LogCollectorNt::OpenLog(Run& run) {
  Trace(30, u"Opening event log...");
  if (run.backups) {
    Trace(30, u"Enumerating backups...");
    reader_.EnumBackupFiles(IsLocalComputer(Computer(run)), Computer(run), m_config.LogName.c_str(), nullptr);
    if (!reader_.BackupListFailure().empty()) run.warning += BackupListWarning(reader_.BackupListFailure());
    return;
  }
  Trace(30, u"Opening log file WITHOUT backups");
  ThrowLastErrorIfFalse(
      reader_.Open(Computer(run), m_config.LogName.c_str(), m_options.OpenLogAttemptCount, kOpenDelayMs),
      u"Failed to open the event log");
}

void LogCollectorNt::Position(Run& run) {
  Trace(30, u"Seeking last last stored event...");
  if (run.stored.RecordNumber == 0 && m_config.SeekLastFirstRun) {
    Trace(30, u"Seeking the most recent event...");
    ThrowLastErrorIfFalse(reader_.SeekMostRecent(), u"Failed to query the most recent event from the event log");
    EVENTLOGRECORD* record = nullptr;
    bool end = false;
    LogPosition p{1, 1};
    if (reader_.GetNextRecord(&record, nullptr, true, &end) && !end) p = {record->RecordNumber, record->TimeWritten};
    Trace(30, u"Setting last position to %d:%d", p.RecordNumber, p.TimeWritten);
    run.first = p;
    run.last = p;
    return;
  }
  if (run.stored.RecordNumber == 0) {
    if (run.backups)
      ThrowLastErrorIfFalse(reader_.OpenFirstAvailable(Computer(run), m_config.LogName.c_str()),
                            u"Failed to open the event log");
    return;
  }
  // A given file is sought too: read again from its start, a file collected
  // before would hand out every record a second time.
  SeekStored(run);
}

void LogCollectorNt::SeekStored(Run& run) {
  Trace(30, u"Seeking last stored event: %d:%d", run.stored.RecordNumber, run.stored.TimeWritten);
  if (IsSpecial(run.stored)) {
    Trace(30, u"Special position, reading from the beginning");
    return;
  }
  bool found = false;
  if (run.backups) {
    ThrowLastErrorIfFalse(reader_.SeekInBackups(Computer(run), m_config.LogName.c_str(), &run.stored, &found),
                          u"Backup event log seek failed");
  } else {
    ThrowLastErrorIfFalse(reader_.Seek(run.stored.RecordNumber, run.stored.TimeWritten, &found),
                          u"Event log seek failed");
  }
  run.found = found ? 1 : 0;
  if (found) {
    Trace(30, u"found");
  } else {
    Trace(30, u"not found");
  }
}

}  // namespace cmr
