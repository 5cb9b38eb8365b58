// Opening one event file in the classic reader, converting it through the
// Windows Event Log interface when the classic interface cannot read it.
#include <vector>

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "collect/backup_files.h"
#include "collect/nt_event_log.h"
#include "platform/api/crt_random.h"
#include "platform/api/evt.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

// A name in `folder` drawn from the thread's generator: 0..2^30-1 in the name.
std::u16string TempName(const std::u16string& folder) {
  const int high = crt::rand();
  return folder + u"\\" + FormatString(u"ec%d.tmp", high * (crt::kRandMax + 1) + crt::rand());
}

// The value of TEMP; empty (traced) when it cannot be read.
std::u16string TempFolder() {
  std::vector<char16_t> buffer(260);
  DWORD length = GetEnvironmentVariableW(u"TEMP", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > buffer.size()) {
    buffer.resize(length);
    length = GetEnvironmentVariableW(u"TEMP", buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  if (length == 0) {
    Trace(10, u"Error getting temporary path: %d", GetLastError());
    return {};
  }
  return std::u16string(buffer.data(), length);
}

// Deletes a file left by an earlier conversion; false (traced) when it exists
// and cannot be deleted.
bool DeleteOld(const std::u16string& path, const char16_t* what) {
  if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
  const DWORD error = GetLastError();
  if (std::u16string_view(what) == u"file") {
    Trace(10, u"Error deleting old file %s: %d", path, error);
  } else {
    Trace(10, u"Error deleting old evtx %s: %d", path, error);
  }
  return false;
}

void DeleteCopy(const std::u16string& copy) {
  if (!DeleteFileW(copy.c_str())) Trace(10, u"Error deleting temporary %s file: %d", copy, GetLastError());
}

// Converts `copy` into `converted` through EvtExportLog and deletes `copy`
// whatever the result; true when the export succeeded.
bool ExportCopy(PFN_EvtExportLog exportLog, const std::u16string& copy, const std::u16string& converted) {
  const BOOL exported =
      exportLog(nullptr, plat::W(copy.c_str()), nullptr, plat::W(converted.c_str()), EvtExportLogFilePath);
  const DWORD error = exported ? 0 : GetLastError();
  DeleteCopy(copy);
  if (!exported) Trace(10, u"Error converting %s to %s: %d", copy, converted, error);
  return exported;
}

}  // namespace

void NTEventLog::RedirectionOff() {
  if (!Wow64DisableWow64FsRedirection(&redirection_))
    Trace(10, u"SetX64Indirection to false failed: %d", GetLastError());
}

void NTEventLog::RedirectionOn() {
  if (!Wow64RevertWow64FsRedirection(redirection_)) Trace(10, u"SetX64Indirection to true failed: %d", GetLastError());
}

bool NTEventLog::ConvertAndOpen(const std::u16string& server, const std::u16string& path) {
  HMODULE wevtapi = LoadLibraryW(u"Wevtapi.dll");
  auto exportLog =
      wevtapi ? reinterpret_cast<PFN_EvtExportLog>(reinterpret_cast<void*>(GetProcAddress(wevtapi, "EvtExportLog")))
              : nullptr;
  if (!exportLog) {
    Trace(10, u"Error opening log file %s on %s. There is no etw api", path, server);
    if (wevtapi) FreeLibrary(wevtapi);
    return false;
  }
  const std::u16string folder = TempFolder();
  if (!folder.empty()) {
    const std::u16string copy = TempName(folder);
    const std::u16string converted = TempName(folder);
    tempFile_ = converted;
    currentBackupPath_ = converted;
    if (CopyToTemp(path, copy)) {
      // The plain copy goes on every way out, so that no failure leaves a
      // copy of the log behind in TEMP.
      if (!DeleteOld(converted, u"evtx")) {
        DeleteCopy(copy);
      } else if (ExportCopy(exportLog, copy, converted)) {
        OpenConverted(converted);
      }
    }
  }
  FreeLibrary(wevtapi);
  return log_ != nullptr;
}

bool NTEventLog::CopyToTemp(const std::u16string& path, const std::u16string& copy) {
  if (!DeleteOld(copy, u"file")) return false;
  RedirectionOff();
  const bool copied = CopyFileW(path.c_str(), copy.c_str(), TRUE) != FALSE;
  if (!copied) Trace(10, u"Error copying file %s to %s: %d", path, copy, GetLastError());
  RedirectionOn();
  return copied;
}

void NTEventLog::OpenConverted(const std::u16string& converted) {
  log_ = OpenBackupEventLogW(nullptr, converted.c_str());
  if (log_) return;
  Trace(10, u"Error opening temporary %s file: %d", converted, GetLastError());
  if (!DeleteFileW(converted.c_str())) Trace(10, u"Error deleting converted %s file: %d", converted, GetLastError());
}

bool NTEventLog::OpenBackupFile(const char16_t* server, const std::u16string& path, bool closeFirst) {
  const std::optional<std::u16string> serverName = server ? std::optional<std::u16string>(server) : std::nullopt;
  const std::u16string file = path;
  if (closeFirst) Close();
  // The reader keeps the server, so that Reopen can open the file again.
  server_ = serverName.value_or(u"");
  currentBackupPath_ = file;
  // A share path of that same server is opened without the server.
  const bool onShare = serverName && file.size() >= serverName->size() + 2 && file.starts_with(u"\\\\") &&
                       EqualNoCase(std::u16string_view(file).substr(2, serverName->size()), *serverName);
  const bool throughServer = serverName && !onShare;
  RedirectionOff();
  HANDLE handle = OpenBackupEventLogW(throughServer ? serverName->c_str() : nullptr, file.c_str());
  if (log_) CloseEventLog(log_);
  log_ = handle;
  RedirectionOn();
  if (!log_) {
    Trace(10, u"Error opening log file %s on %s: %d. Trying etw api", file, serverName.value_or(u""), GetLastError());
    ConvertAndOpen(serverName.value_or(u""), file);
  }
  SetLastError(0);
  endKnown_ = 0;
  return log_ != nullptr;
}

bool NTEventLog::OpenFirstAvailable(const char16_t* server, const char16_t* logName) {
  if (logName) logName_ = logName;
  if (currentBackup_ < backups_.size()) {
    Trace(30, u"trying to open backups");
    for (; currentBackup_ < backups_.size(); ++currentBackup_) {
      const BackupFile& backup = backups_[currentBackup_];
      Trace(30, u"backup: %s", backup.FileName);
      if (!OpenBackupFile(server, backup.FullPath(), true)) {
        unreadBackups_.push_back(backup.FullPath() + u": it cannot be opened");
      } else {
        DeleteReadBackups(backups_, currentBackup_, backupAge_);
        Trace(30, u"open, seek first in this backup");
        if (ReadLog(0)) {
          next_ = buffer_;
          Trace(30, u"sought");
          return true;
        }
        unreadBackups_.push_back(backup.FullPath() + u": " + Win32ErrorText(GetLastError()));
      }
      Trace(30, u"next backup....");
    }
    Trace(30, u"next backup....");
  }
  Trace(30, u"no more backups, try to open the log");
  if (!Open(server, nullptr, 1, 1000)) return false;
  DeleteReadBackups(backups_, backups_.size(), backupAge_);
  Trace(30, u"open, seek first");
  if (!ReadLog(0)) return false;
  next_ = buffer_;
  return true;
}

bool NTEventLog::SeekInBackups(const char16_t* server, const char16_t* logName, const LogPosition* position,
                               bool* found) {
  if (logName) logName_ = logName;
  currentBackup_ = 0;
  if (!position || (position->RecordNumber == 0 && position->TimeWritten == 0)) {
    *found = true;
    return OpenFirstAvailable(server, nullptr);
  }
  if (!Open(server, nullptr, 1, 1000)) return false;
  bool here = false;
  if (Seek(position->RecordNumber, position->TimeWritten, &here) && here) {
    currentBackup_ = backups_.size();
    DeleteReadBackups(backups_, currentBackup_, backupAge_);
    *found = true;
    return true;
  }
  for (size_t i = backups_.size(); i-- > 0;) {
    if (!OpenBackupFile(server, backups_[i].FullPath(), true)) continue;
    if (Seek(position->RecordNumber, position->TimeWritten, &here) && here) {
      currentBackup_ = i;
      DeleteReadBackups(backups_, i, backupAge_);
      *found = true;
      return true;
    }
  }
  *found = false;
  return OpenFirstAvailable(server, nullptr);
}

}  // namespace cmr
