// The classic reader's backup discovery: the archives of a log beside its
// file, on this computer or another one.
#include <algorithm>

#include "base/exceptions.h"
#include "base/path_text.h"
#include "base/text.h"
#include "base/trace.h"
#include "collect/backup_files.h"
#include "collect/event_log_key.h"
#include "collect/log_display_name.h"
#include "collect/nt_event_log.h"
#include "collect/registry_text.h"
#include "collect/shared_path.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

// Where the log's file lies and the name its archives take.
struct LogFileSite {
  std::u16string directory;  // empty when the log has no "File" value
  std::u16string baseName;
};

LogFileSite SiteOf(HKEY logKey, const std::u16string& logName) {
  LogFileSite site{u"", logName};
  std::u16string file;
  try {
    file = ReadRegistryString(logKey, u"File");
  } catch (const Win32Exception&) {
    return site;
  }
  site.directory = DirectoryOfPath(file);
  site.baseName = file.substr(site.directory.size());
  const size_t dot = site.baseName.rfind(u'.');
  if (dot != std::u16string::npos && dot > 1) site.baseName.resize(dot);
  return site;
}

// The first file that matches directory + pattern; its find handle, or
// INVALID_HANDLE_VALUE.
HANDLE FindIn(const std::u16string& directory, const std::u16string& pattern, WIN32_FIND_DATAW& data) {
  const std::u16string path = JoinPath(directory, pattern);
  Trace(30, u"checking path: %s", path);
  return FindFirstFileW(path.c_str(), &data);
}

// A directory in which the archives were found, with its first match.
struct Match {
  std::u16string directory;
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  DWORD failure = ERROR_SUCCESS;  // the first search that could not look
};

// One search of the directory; a search that could not look (rather than
// finding nothing) is kept as the match's failure.
bool Search(const std::u16string& directory, const std::u16string& pattern, Match& match) {
  match.find = FindIn(directory, pattern, match.data);
  if (match.find != INVALID_HANDLE_VALUE) return true;
  const DWORD error = GetLastError();
  if (!FoundNoArchives(error) && match.failure == ERROR_SUCCESS) match.failure = error;
  return false;
}

bool LookIn(const std::u16string& directory, const std::u16string& pattern1, const std::u16string& pattern2,
            Match& match) {
  if (!Search(directory, pattern1, match) && (pattern2 == pattern1 || !Search(directory, pattern2, match)))
    return false;
  match.directory = directory;
  if (match.directory.back() != u'\\') match.directory += u'\\';
  return true;
}

// The log file's directory as seen from here: expanded locally; for another
// computer through its shares, then as mapped to its administrative shares.
bool LookBesideLogFile(bool isLocal, const std::u16string& computer, const std::u16string& root,
                       const LogFileSite& site, const std::u16string& p1, const std::u16string& p2, Match& match) {
  if (isLocal) return LookIn(ExpandEnvironment(site.directory), p1, p2, match);
  std::u16string local = ToLowerC(site.directory);
  ReplaceAll(local, u"%systemroot%", root);
  ReplaceAll(local, u"\\\\", u"\\");
  std::vector<std::u16string> shared;
  const NET_API_STATUS status = FindSharedPath(computer, local, shared);
  Trace(10, u"FindSharedPath err: %d", status);
  for (const std::u16string& path : shared) {
    if (LookIn(u"\\\\" + computer + u"\\" + path, p1, p2, match)) return true;
  }
  std::u16string mapped;
  if (MapPathToComputer(false, computer.c_str(), site.directory, mapped) != 0) return false;
  return LookIn(mapped, p1, p2, match);
}

// The system folders that hold logs: system32\config, system32\winevt\Logs.
bool LookInSystemFolders(bool isLocal, const std::u16string& computer, const std::u16string& root,
                         const std::u16string& p1, const std::u16string& p2, Match& match) {
  const std::u16string base = isLocal ? root : u"\\\\" + computer + u"\\ADMIN$\\";
  return LookIn(base + u"system32\\config\\", p1, p1, match) ||
         LookIn(base + u"system32\\winevt\\Logs\\", p2, p2, match);
}

}  // namespace

void NTEventLog::EnumBackupFiles(bool isLocal, const char16_t* computer, const char16_t* logName, HKEY key) {
  Trace(10, u"isLocal: %s", isLocal ? u"true" : u"false");
  if (logName == nullptr) {
    Trace(10, u"lpszEventLog is NULL");
    return;
  }
  RedirectionOff();
  const std::u16string server = computer != nullptr ? computer : u"";
  sidCache_.OpenPolicy(server);
  Trace(30, u"EnumBackupFiles %s:%s", server, logName);
  backups_.clear();
  backupListFailure_.clear();
  unreadBackups_.clear();
  try {
    FindBackupFiles(isLocal, server, logName, key);
  } catch (const BaseException& e) {
    Trace(10, u"Exception: %d (%s)", e.Code(), e.FullText());
    backupListFailure_ = e.FullText();
    SetLastError(static_cast<DWORD>(e.Code()));
  }
  RedirectionOn();
  Trace(30, u"EnumBackupFiles finished");
}

void NTEventLog::FindBackupFiles(bool isLocal, const std::u16string& computer, const std::u16string& logName,
                                 HKEY key) {
  HKEY opened = nullptr;
  if (key == nullptr) {
    Trace(30, u"Opening event log registry key");
    ThrowIfError(OpenEventLogKey(isLocal ? nullptr : computer.c_str(), logName, &opened));
    key = opened;
  }
  KeyGuard guard(opened);
  Trace(30, u"Getting local system root");
  const std::u16string root = ComputerSystemRoot(computer, isLocal);
  Trace(30, u"calculating root path...");
  Trace(30, u"local system root: %s", root);
  const LogFileSite site = SiteOf(key, logName);
  const std::u16string p1 = ArchivePattern(logName), p2 = ArchivePattern(site.baseName);
  Trace(30, u"calc full path...");
  Match match;
  bool found = !site.directory.empty() && LookBesideLogFile(isLocal, computer, root, site, p1, p2, match);
  if (!found) found = LookInSystemFolders(isLocal, computer, root, p1, p2, match);
  if (!found) {
    // Nothing found is no failure unless a place could not be searched.
    if (match.failure != ERROR_SUCCESS) throw Win32Exception(match.failure);
    return;
  }
  Trace(30, u"enumerating files...");
  do {
    if (match.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::u16string name = plat::U(match.data.cFileName);
    Trace(30, u"next file: %s", name);
    BackupFile backup{isLocal ? 1u : 0u, isLocal ? u"" : computer, name, BackupFileTime(name), match.directory};
    backups_.push_back(std::move(backup));
  } while (FindNextFileW(match.find, &match.data));
  // A search that ends on anything but its last file leaves the list short.
  const DWORD ended = GetLastError();
  FindClose(match.find);
  Trace(30, u"done, sorting");
  std::sort(backups_.begin(), backups_.end(), [](const BackupFile& a, const BackupFile& b) { return a.Time < b.Time; });
  Trace(30, u"sorted");
  currentBackup_ = 0;
  if (ended != ERROR_NO_MORE_FILES) throw Win32Exception(ended);
}

}  // namespace cmr
