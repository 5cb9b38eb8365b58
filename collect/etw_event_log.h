// ETWEventLog: the reader of one channel or event file through the Windows
// Event Log interface. It wraps one query result set, fetches events in
// batches, renders each one, seeks a stored position by record id and
// creation time, and walks the chain of the channel's archived backups.
//
// Operations return false with the reason in the thread's last error (E_FAIL
// when no query is open); a failing Wevtapi call inside raises
// cmr::Win32Exception, which the operations catch where they say so.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "collect/backup_file.h"
#include "collect/log_position.h"
#include "render/evt_api.h"
#include "render/rendered_event.h"

namespace cmr {

// What a query reads: the live channel or an event file.
enum class EtwQueryKind : DWORD { Channel = EvtQueryChannelPath, File = EvtQueryFilePath };

// A stored position as the reader compares it: the full record id and the
// creation time as a FILETIME.
struct EtwPosition {
  uint64_t recordId = 0;
  uint64_t fileTime = 0;
};

// A LogPosition as the reader compares it: its record number as the low 32
// bits of the id, its seconds as a FILETIME.
EtwPosition EtwPositionOf(const LogPosition& position);
// The position of a rendered event: the low 32 bits of its id and its
// creation time in seconds since 1970.
LogPosition LogPositionOf(const RenderedEvent& event);

class ETWEventLog {
 public:
  ETWEventLog(uint16_t backupAge, uint32_t batchSize);
  ~ETWEventLog();
  ETWEventLog(const ETWEventLog&) = delete;
  ETWEventLog& operator=(const ETWEventLog&) = delete;

  // Closes, stores where to read and opens the query (one attempt).
  bool Open(const std::u16string& server, const std::u16string& path, EtwQueryKind kind);
  // Closes the batch handles and the result set.
  bool Close();
  // Opens a login to the stored server and a forward query on the stored
  // path; the new result set replaces the previous one.
  bool OpenQuery();

  // The next event, rendered with its user values, into `event` (an event
  // there is rendered over); at the end `end` is set (and `event` kept).
  // Fetches ReaderParameter events at once.
  bool GetNextRecord(std::unique_ptr<RenderedEvent>& event, bool& end);
  // Positions just after the event with that id and creation time; not
  // found leaves the reader before the oldest event.
  bool Seek(uint64_t recordId, uint64_t fileTime, bool& found);
  // Positions so that the next event handed out is the newest.
  bool SeekMostRecent();
  // Positions before the oldest event.
  bool Rewind();

  // Opens the current backup, the next readable one, or the live channel,
  // at its oldest event; backups before it that are old enough are deleted.
  bool OpenFirstAvailable(const std::u16string& server, const std::u16string& channel);
  // Finds the position in the live channel or, newest first, in a backup;
  // not found: reading starts with the oldest backup.
  bool FindPosition(const std::u16string& server, const std::u16string& channel, const LogPosition* position,
                    bool& found);
  bool IsReadingBackup() const { return kind_ == EtwQueryKind::File; }
  // Steps to the next backup; false when already at the live channel.
  bool AdvanceBackup();

  // Lists the channel's archives ("Archive-<base>-<time>.evt?") beside its
  // log file, oldest first; the current backup becomes the first. Failures
  // are traced and leave the list as far as it was made.
  void EnumBackupFiles(const std::u16string& computer, const std::u16string& channel);
  // The text of the failure that cut the last listing short; empty when the
  // listing was complete.
  const std::u16string& BackupListFailure() const { return backupListFailure_; }
  // Archives that were listed but could not be opened or read, each with
  // its path and why; the reader went on with the next one.
  const std::vector<std::u16string>& UnreadBackups() const { return unreadBackups_; }

  const std::vector<BackupFile>& Backups() const { return backups_; }
  size_t CurrentBackup() const { return currentBackup_; }

 private:
  enum class PassEnd { Done, Retry };
  PassEnd SeekPass(uint64_t& id, uint64_t fileTime, bool& found, int& waits);
  // Positions at the event with that id through a bookmark (strict); false
  // when there is none.
  bool SeekToId(uint64_t id);
  // The next event into `event`; false at the end. Raises on failure.
  bool ReadOne(std::unique_ptr<RenderedEvent>& event);
  void CloseBatch();
  void Fetch();
  bool OpenBackup(const BackupFile& backup);
  void FindBackupFiles(const std::u16string& computer, const std::u16string& channel);

  EvtApi api_;
  // Made at the first event rendered, closed with the result set.
  std::unique_ptr<EvtRenderContexts> contexts_;
  EVT_HANDLE resultSet_ = nullptr;
  uint16_t backupAge_;
  EtwQueryKind kind_ = EtwQueryKind::Channel;
  std::vector<BackupFile> backups_;
  std::u16string backupListFailure_;
  std::vector<std::u16string> unreadBackups_;
  size_t currentBackup_ = 0;
  std::u16string server_;
  std::u16string path_;
  std::vector<EVT_HANDLE> batch_;
  DWORD batchNext_ = 0;
  DWORD batchCount_ = 0;
};

}  // namespace cmr
