// ETWEventLog: the walk through the channel's archived backups into the live
// channel, and the search for the stored position along that chain.
#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/backup_files.h"
#include "collect/etw_event_log.h"
#include "platform/api/kernel.h"

namespace cmr {

bool ETWEventLog::OpenBackup(const BackupFile& backup) {
  Close();
  kind_ = EtwQueryKind::File;
  path_ = backup.FullPath();
  return OpenQuery();
}

bool ETWEventLog::OpenFirstAvailable(const std::u16string& server, const std::u16string& channel) {
  server_ = server;
  if (currentBackup_ < backups_.size()) {
    Trace(30, u"trying to open backups");
    for (; currentBackup_ < backups_.size(); ++currentBackup_) {
      Trace(30, u"backup: %s", backups_[currentBackup_].FileName);
      const std::u16string path = backups_[currentBackup_].FullPath();
      if (!OpenBackup(backups_[currentBackup_])) {
        unreadBackups_.push_back(path + u": " + Win32ErrorText(GetLastError()));
      } else {
        DeleteReadBackups(backups_, currentBackup_, backupAge_);
        Trace(30, u"open, seek first in this backup");
        CloseBatch();
        if (api_.EvtSeek(resultSet_, 0, nullptr, 0, EvtSeekRelativeToFirst | EvtSeekStrict)) {
          Trace(30, u"sought");
          return true;
        }
        unreadBackups_.push_back(path + u": " + Win32ErrorText(GetLastError()));
      }
      Trace(30, u"next backup....");
    }
    Trace(30, u"next backup....");
  }
  Trace(30, u"no more backups, try to open the log");
  Close();
  kind_ = EtwQueryKind::Channel;
  path_ = channel;
  if (!OpenQuery()) return false;
  DeleteReadBackups(backups_, backups_.size(), backupAge_);
  Trace(30, u"open, seek first");
  return Rewind();
}

bool ETWEventLog::FindPosition(const std::u16string& server, const std::u16string& channel, const LogPosition* position,
                               bool& found) {
  server_ = server;
  // Not found anywhere, reading starts with the oldest backup.
  currentBackup_ = 0;
  if (!position || (position->TimeWritten == 0 && position->RecordNumber == 0)) {
    Trace(30, u"Position is NULL. Start with the first backup file.");
    found = true;
    return OpenFirstAvailable(server, channel);
  }
  const EtwPosition p = EtwPositionOf(*position);
  Trace(30, u"try to find position in the main log.");
  Close();
  kind_ = EtwQueryKind::Channel;
  path_ = channel;
  if (!OpenQuery()) {
    Trace(40, u"can't open the main log");
    return false;
  }
  bool here = false;
  if (Seek(p.recordId, p.fileTime, here) && here) {
    Trace(30, u"position is found in the main log.");
    currentBackup_ = backups_.size();
    DeleteReadBackups(backups_, currentBackup_, backupAge_);
    found = true;
    return true;
  }
  Trace(40, u"try to find the position in the files. starting from the last");
  for (size_t i = backups_.size(); i-- > 0;) {
    if (!OpenBackup(backups_[i])) continue;
    if (Seek(p.recordId, p.fileTime, here) && here) {
      Trace(40, u"position is found in the file");
      currentBackup_ = i;
      DeleteReadBackups(backups_, i, backupAge_);
      found = true;
      return true;
    }
  }
  Trace(40, u"can't find the last position");
  found = false;
  return OpenFirstAvailable(server, channel);
}

bool ETWEventLog::AdvanceBackup() {
  if (currentBackup_ >= backups_.size()) return false;
  ++currentBackup_;
  return true;
}

}  // namespace cmr
