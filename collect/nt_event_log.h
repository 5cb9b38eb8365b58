// NTEventLog: the reader of one classic event log or backup file. It reads
// the log in buffered chunks (ReadEventLogW under a named mutex per server
// and log), hands out records one by one in place, seeks a stored position,
// and walks the chain of the log's backup files.
//
// Operations return false with the reason in the thread's last error:
// E_FAIL when no handle is open, 14 when the heap is exhausted, or the
// operating system's error. The reader never throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/backup_file.h"
#include "collect/log_position.h"
#include "platform/api/eventlog.h"
#include "platform/api/registry.h"
#include "render/sid_cache.h"

namespace cmr {

// What the filter and the record writer know of a record besides its bytes.
struct RecordContext {
  std::shared_ptr<CSidCache::SidInfo> user;  // empty when the record has no SID
  std::u16string logName;
  uint32_t eventId = 0;  // the full 32-bit EventID
};

class NTEventLog {
 public:
  NTEventLog(DWORD bufferSize, uint16_t backupAge);
  ~NTEventLog();
  NTEventLog(const NTEventLog&) = delete;
  NTEventLog& operator=(const NTEventLog&) = delete;

  // Reads that one event file instead of a live log.
  bool SetFile(const std::u16string& path);
  bool IsFileMode() const { return fileMode_; }

  // Opens the live log (or the file in file mode), trying `attempts` times
  // `delayMs` apart while the server is unavailable (1722).
  bool Open(const char16_t* server, const char16_t* logName, DWORD attempts, DWORD delayMs);
  bool Close();
  // Opens the current source again after it changed.
  bool Reopen();

  // Fills the buffer: the next chunk (0), or from that record on.
  bool ReadLog(DWORD recordNumber);
  // Hands out the next record in place (null at the end) and its context;
  // the record's EventID keeps its low 16 bits afterwards.
  bool GetNextRecord(EVENTLOGRECORD** record, RecordContext* context, bool advance, bool* end);
  // Positions just after the record with that number and time written;
  // not found leaves the reader at the oldest record.
  bool Seek(DWORD recordNumber, DWORD timeWritten, bool* found);
  // Positions so that the next record handed out is the newest.
  bool SeekMostRecent();
  // Restarts at the oldest record.
  bool Rewind(bool reopen);

  bool GetOldestRecord(DWORD* oldest);
  bool GetNumberOfRecords(DWORD* count);

  // Opens one event file; when the classic interface cannot, a copy converted
  // with the Windows Event Log interface (deleted by Close).
  bool OpenBackupFile(const char16_t* server, const std::u16string& path, bool closeFirst);
  // Opens the current backup, or the next one that can be read, or at last
  // the live log, at its oldest record; backups before it that are old
  // enough are deleted.
  bool OpenFirstAvailable(const char16_t* server, const char16_t* logName);
  // Finds the stored position in the live log or, newest first, in a backup;
  // not found: reading starts with the oldest backup.
  bool SeekInBackups(const char16_t* server, const char16_t* logName, const LogPosition* position, bool* found);
  // Steps to the next backup; false when already at the live log.
  bool AdvanceBackup();

  // Finds the log's archived backup files ("Archive-<name>-<time>.evt?")
  // beside the log file, through the computer's shares or its ADMIN$ share
  // for another computer, and lists them oldest first (names without a time
  // first); the current backup becomes the first one. `key` is the log's
  // open registry key, or null. Failures are traced and leave the list as
  // far as it was made (the live log is then read alone).
  void EnumBackupFiles(bool isLocal, const char16_t* computer, const char16_t* logName, HKEY key);
  // The text of the failure that cut the last listing short; empty when the
  // listing was complete.
  const std::u16string& BackupListFailure() const { return backupListFailure_; }
  // Backups that were listed but could not be opened or read, each with
  // its path and why; the reader went on with the next one.
  const std::vector<std::u16string>& UnreadBackups() const { return unreadBackups_; }

  // The log's backup files, oldest first, and the one being read
  // (Backups().size(): the live log). Filled by the backup discovery.
  std::vector<BackupFile>& Backups() { return backups_; }
  size_t& CurrentBackup() { return currentBackup_; }
  const std::u16string& CurrentBackupPath() const { return currentBackupPath_; }
  uint16_t BackupAge() const { return backupAge_; }
  CSidCache& SidCache() { return sidCache_; }
  bool End() const { return end_ != 0; }

 private:
  bool OpenLive();
  void FindBackupFiles(bool isLocal, const std::u16string& computer, const std::u16string& logName, HKEY key);
  bool ConvertAndOpen(const std::u16string& server, const std::u16string& path);
  // Copies `path` to `copy` with redirection off; false (traced) on failure.
  bool CopyToTemp(const std::u16string& path, const std::u16string& copy);
  // Opens the converted copy; on failure deletes it (traced).
  void OpenConverted(const std::u16string& converted);
  bool ScanFor(DWORD recordNumber, DWORD timeWritten, bool* found);
  bool RestartAtOldest(bool* found);
  bool AllocateBuffer();
  void RedirectionOff();
  void RedirectionOn();
  bool HasHandle() const;

  std::u16string tempFile_;
  HANDLE log_ = nullptr;
  uint8_t* buffer_ = nullptr;
  DWORD bufferSize_;
  EVENTLOGRECORD* current_ = nullptr;
  uint8_t* next_ = nullptr;
  DWORD bytesRead_ = 0;
  uint8_t end_ = 0;
  uint8_t endKnown_ = 0;
  uint32_t endRecordNumber_ = 0;
  uint16_t backupAge_;
  CSidCache sidCache_;
  PVOID redirection_ = nullptr;
  HANDLE readMutex_ = nullptr;
  std::vector<BackupFile> backups_;
  std::u16string backupListFailure_;
  std::vector<std::u16string> unreadBackups_;
  size_t currentBackup_ = 0;
  std::optional<std::u16string> server_;
  std::u16string logName_;
  std::u16string currentBackupPath_;
  bool fileMode_ = false;
  std::u16string filePath_;
};

}  // namespace cmr
