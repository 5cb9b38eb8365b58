// The classic event-log service of a simulated computer (a Computer
// service) and the host API that tests and the command-line program use to
// set up its logs.
//
// The registry is the list of logs, as on Windows: every subkey of
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog is a log. Its "File" value
// names the log file: a .evt file is read and appended in place (through the
// computer's drives), an .evtx file (or a log without a file whose name is a
// channel) makes the log the classic view of that Windows Event Log channel,
// and a log without a file is kept in memory. "MaxSize" (bytes) and
// "Retention" (seconds; 0 overwrite as needed, 0xFFFFFFFF never) set how the
// log fills; with "AutoBackupLogFiles" a full log that keeps its records is
// archived to "Archive-<log>-<yyyy-mm-dd-hh-mm-ss-mmm>.evt" beside its file
// and cleared.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/formats/evt_record.h"
#include "platform/host/classic/classic_log.h"
#include "platform/host/host.h"

namespace host {

class EvtClassicLog;

inline constexpr char16_t kEventLogKeyPath[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog";

class ClassicEventLogService {
 public:
  explicit ClassicEventLogService(Computer& computer) : computer_(computer) {}

  // The log of that name; null when the registry has no such log, or with
  // `*error` set when the log cannot be opened (1500: its file is not an
  // event log; 53 / 3: its file cannot be reached).
  std::shared_ptr<ClassicLog> Find(std::u16string_view name, DWORD* error);

  // Appends a record to a log (its number given by the log). Returns 0 and
  // the number, or the error: 2 no such log, 1502 the log is full and keeps
  // its records, 87 a record that can never fit.
  DWORD Append(std::u16string_view name, const formats::EvtRecordFields& fields, uint32_t* number);
  // Writes the archive file of an automatic backup and clears the log.
  DWORD Archive(std::u16string_view name, std::string* archivePath);

  bool AccessDenied(std::u16string_view name) const { return denied_.count(std::u16string(name)) != 0; }
  void SetAccessDenied(std::u16string_view name, bool denied);

  // Forgets the logs read so far; they are read again from the registry
  // and their files on the next use.
  void Reload() { evtLogs_.clear(); }

  // A Windows path of this computer as a Linux path.
  DWORD MapComputerPath(std::u16string_view windowsPath, std::string* linuxPath) const;

 private:
  struct LogSettings;
  bool ReadSettings(std::u16string_view name, LogSettings* settings) const;
  std::shared_ptr<ClassicLog> ChannelLog(const LogSettings& settings, DWORD* error);
  std::shared_ptr<EvtClassicLog> EvtLog(const LogSettings& settings, DWORD* error);

  Computer& computer_;
  std::map<std::u16string, std::shared_ptr<EvtClassicLog>, NoCaseLess> evtLogs_;
  std::set<std::u16string, NoCaseLess> denied_;
};

// ---- Host API (each call takes the host lock) ----

struct ClassicEventSource {
  std::u16string name{};
  std::u16string eventMessageFile{};  // REG_EXPAND_SZ values; empty ones are not written
  std::u16string categoryMessageFile{};
  std::u16string parameterMessageFile{};
  DWORD categoryCount = 0;
  DWORD typesSupported = 7;
};

struct ClassicLogConfig {
  std::u16string name{};
  // Windows path of the log file, e.g. "%SystemRoot%\System32\config\SysEvent.Evt";
  // empty: the log is kept in memory.
  std::u16string file{};
  DWORD maxSize = 0x80000;
  DWORD retention = 0;
  bool autoBackup = false;
  std::u16string displayNameFile{};  // message file of the display name, and its message id
  DWORD displayNameId = 0;
  std::vector<ClassicEventSource> sources{};
};

ClassicEventLogService& ClassicLogsOf(Computer& computer);

// Writes the log's registry key with its values and source subkeys.
void CreateClassicLog(Computer& computer, const ClassicLogConfig& config);

// Appends a record: an empty computer name becomes the computer's, a time
// written of 0 the host's clock, a time generated of 0 the time written.
// Returns the record number, or 0 when the record was not written.
uint32_t AppendClassicRecord(Computer& computer, std::u16string_view log, formats::EvtRecordFields fields);

// Sets the log's "MaxSize" and "Retention" values and applies them.
DWORD SetClassicLogLimits(Computer& computer, std::u16string_view log, DWORD maxSize, DWORD retention);

DWORD ClearClassicLog(Computer& computer, std::u16string_view log);
DWORD ArchiveClassicLog(Computer& computer, std::u16string_view log, std::string* archivePath = nullptr);

// OpenEventLogW of the log fails with access denied (5) while set.
void SetClassicLogAccessDenied(Computer& computer, std::u16string_view log, bool denied);

}  // namespace host
