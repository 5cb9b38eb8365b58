// LogCollectorNt: the record loop, repositioning after the log changed, the
// walk from backup to backup, and the record dump.
#include <span>

#include "base/classic_record_text.h"
#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/log_collector_nt.h"
#include "platform/api/kernel.h"
#include "render/sid_cache.h"

namespace cmr {
namespace {

constexpr char16_t kChangedWarning[] =
    u"The event log file has been changed between read operations:some event records may be lost. If you get this "
    u"warning frequently, try enabling log auto-backup and backup processing.";

FilterContext FilterContextOf(const RecordContext& context, std::u16string& account) {
  FilterContext filter;
  filter.logName = context.logName;
  if (context.user) {
    account = CSidCache::AccountText(*context.user);
    filter.hasUser = true;
    filter.userAccount = account;
  }
  return filter;
}

// The origin fields of a record, those that are not empty.
ExtraFields OriginFields(OriginResolver& origins, const EVENTLOGRECORD* record) {
  std::u16string from, mac, fqdn;
  origins.ResolveEventOrigin(std::span(reinterpret_cast<const uint8_t*>(record), record->Length), &from, &mac, &fqdn);
  ExtraFields extra;
  if (!from.empty()) extra.emplace_back(u"FROM", from);
  if (!mac.empty()) extra.emplace_back(u"MAC", mac);
  if (!fqdn.empty()) extra.emplace_back(u"FQDN", fqdn);
  return extra;
}

}  // namespace

HRESULT LogCollectorNt::ReadRecords(Run& run) {
  Trace(30, u"Processing records...");
  OriginResolver origins(run.computer);
  for (;;) {
    EVENTLOGRECORD* record = nullptr;
    RecordContext context;
    bool end = false;
    if (!reader_.GetNextRecord(&record, &context, true, &end)) {
      const DWORD e = GetLastError();
      Trace(10, u"GetNextRecord failed - %d", e);
      if (e != ERROR_EVENTLOG_FILE_CHANGED) return ReportWin32Error(E_FAIL, e, u"Event log read failure");
      Reposition(run);
      ThrowLastErrorIfFalse(reader_.GetNextRecord(&record, &context, true, &end), u"Event log read failure");
    }
    if (!end) HandleRecord(run, record, context, origins);
    if (run.backups && end) JumpToNextBackup(run, end);
    if (end) return S_OK;
  }
}

void LogCollectorNt::Reposition(Run& run) {
  Trace(30, u"Trying to reposition event reading");
  const LogPosition q = run.last;
  bool found = false;
  if (run.backups) {
    ThrowLastErrorIfFalse(reader_.SeekInBackups(Computer(run), m_config.LogName.c_str(), &q, &found),
                          u"Event log read failure");
  } else if (!reader_.Seek(q.RecordNumber, q.TimeWritten, &found)) {
    ThrowLastErrorIfFalse(reader_.Rewind(true), u"Event log read failure");
    run.warning += kChangedWarning;
  } else if (!found) {
    // The seek went back to the oldest record: what lay between is gone.
    run.warning += kChangedWarning;
  }
  run.found = found ? 1 : 0;
}

void LogCollectorNt::HandleRecord(Run& run, const EVENTLOGRECORD* record, const RecordContext& context,
                                  OriginResolver& origins) {
  run.last = {record->RecordNumber, record->TimeWritten};
  if (run.first.RecordNumber == 0 && run.first.TimeWritten == 0) run.first = run.last;
  Trace(40, u"Event: RN=%d DT=%d LEN=%d OFF=%d", record->RecordNumber, record->TimeWritten, record->DataLength,
        record->DataOffset);
  std::u16string account;
  if (!m_filter.MatchClassic(record, FilterContextOf(context, account))) return;
  Trace(40, u"Records matches filter: %d", record->RecordNumber);
  if (m_config.ResolveMACs) {
    const ExtraFields extra = OriginFields(origins, record);
    DumpRecord(run.writer, record, context, &extra);
  } else {
    DumpRecord(run.writer, record, context, nullptr);
  }
  if (m_config.CollectEventResources) {
    NoteDescriptionSource(std::u16string(ClassicRecordText(record).SourceName()), context.eventId);
  }
}

void LogCollectorNt::JumpToNextBackup(Run& run, bool& end) {
  Trace(30, u"EOF, try to jump to next backup log");
  if (!reader_.CurrentBackupPath().empty()) {
    Trace(30, u"current log is backup, trying to advance");
    Trace(30, u"Trying to advance to next backup log....");
    const bool next = reader_.AdvanceBackup();
    Trace(30, u"next backup log exists: %d", next ? 1 : 0);
    ThrowLastErrorIfFalse(reader_.OpenFirstAvailable(Computer(run), m_config.LogName.c_str()),
                          u"Failed to open next backup log file");
    Trace(30, u"opening log successful");
    end = false;
  }
  Trace(30, u"EOF is now %d", end ? 1 : 0);
}

void LogCollectorNt::DumpRecord(EventFileWriter& writer, const EVENTLOGRECORD* record, const RecordContext& context,
                                const ExtraFields* extra) {
  DumpClassicRecord(writer, std::span(reinterpret_cast<const uint8_t*>(record), record->Length), context.user.get(),
                    extra, *this);
}

}  // namespace cmr
