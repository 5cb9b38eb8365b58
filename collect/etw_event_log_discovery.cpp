// ETWEventLog::EnumBackupFiles: the archives of a channel beside the log
// file its configuration names, on this computer or, through its shares,
// on another one.
#include <algorithm>

#include "base/exceptions.h"
#include "base/path_text.h"
#include "base/text.h"
#include "base/trace.h"
#include "collect/backup_files.h"
#include "collect/etw_event_log.h"
#include "collect/event_log_key.h"
#include "collect/evt_channels.h"
#include "collect/registry_text.h"
#include "collect/shared_path.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

// Where the channel's file lies and the name its archives take.
struct ChannelFileSite {
  std::u16string directory;
  std::u16string baseName;
};

ChannelFileSite SiteOf(const std::u16string& logFilePath, const std::u16string& channel) {
  if (logFilePath.empty()) {
    std::u16string base = channel;
    ReplaceAll(base, u"/", u"%4");
    return {u"%systemroot%\\system32\\winevt\\Logs", base};
  }
  ChannelFileSite site{DirectoryOfPath(logFilePath), u""};
  site.baseName = logFilePath.substr(site.directory.size());
  const size_t dot = site.baseName.rfind(u'.');
  if (dot != std::u16string::npos) site.baseName.resize(dot);
  return site;
}

// The first match of directory + pattern: its find handle, or
// INVALID_HANDLE_VALUE.
HANDLE FindIn(const std::u16string& directory, const std::u16string& pattern, WIN32_FIND_DATAW& data) {
  return FindFirstFileW(JoinPath(directory, pattern).c_str(), &data);
}

// The directory as seen from here: expanded for this computer, through the
// first share of another computer that holds a match.
std::u16string SearchDirectory(const std::u16string& computer, bool isLocal, const std::u16string& directory,
                               const std::u16string& pattern) {
  if (isLocal) return ExpandEnvironment(directory);
  // Lower-cased after the system root is in: the shares' folders are
  // compared lower-cased, and "C:\\Windows" would never match them.
  std::u16string local = ToLowerC(directory);
  ReplaceAll(local, u"%systemroot%", ComputerSystemRoot(computer, false));
  local = ToLowerC(local);
  ReplaceAll(local, u"\\\\", u"\\");
  std::vector<std::u16string> shared;
  const NET_API_STATUS status = FindSharedPath(computer, local, shared);
  Trace(10, u"FindSharedPath err: %d", status);
  for (const std::u16string& path : shared) {
    const std::u16string candidate = u"\\\\" + computer + u"\\" + path;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindIn(candidate, pattern, data);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      return candidate;
    }
  }
  return local;
}

}  // namespace

void ETWEventLog::EnumBackupFiles(const std::u16string& computer, const std::u16string& channel) {
  Trace(30, u"EnumBackupFiles %s:%s", computer, channel);
  backups_.clear();
  currentBackup_ = 0;
  backupListFailure_.clear();
  unreadBackups_.clear();
  try {
    FindBackupFiles(computer, channel);
  } catch (const BaseException& e) {
    Trace(10, u"Exception: 0x%08x (%s)", static_cast<uint32_t>(e.Code()), e.FullText());
    backupListFailure_ = e.FullText();
    SetLastError(static_cast<DWORD>(e.Code()));
  }
  Trace(30, u"EnumBackupFiles finished");
}

void ETWEventLog::FindBackupFiles(const std::u16string& computer, const std::u16string& channel) {
  ThrowLastErrorIfFalse(api_.Load());
  const ChannelFileSite site = SiteOf(GetChannelLogFilePath(api_, computer, channel), channel);
  const std::u16string pattern = ArchivePattern(site.baseName);
  const bool isLocal = IsLocalComputer(computer.empty() ? nullptr : computer.c_str());
  std::u16string directory = SearchDirectory(computer, isLocal, site.directory, pattern);
  if (directory.empty() || directory.back() != u'\\') directory += u'\\';
  const std::u16string search = directory + pattern;
  Trace(30, u"enumerating files: %s", search);
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(search.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    // No archive is no failure; a search that could not look is.
    const DWORD error = GetLastError();
    if (FoundNoArchives(error)) return;
    throw Win32Exception(error);
  }
  std::vector<std::u16string> names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(plat::U(data.cFileName));
  } while (FindNextFileW(find, &data));
  // A search that ends on anything but its last file leaves the list short.
  const DWORD ended = GetLastError();
  FindClose(find);
  for (const std::u16string& name : names) {
    Trace(30, u"next file: %s", name);
    backups_.push_back({isLocal ? 1u : 0u, isLocal ? u"" : computer, name, BackupFileTime(name), directory});
  }
  Trace(30, u"done, sorting");
  std::sort(backups_.begin(), backups_.end(), [](const BackupFile& a, const BackupFile& b) { return a.Time < b.Time; });
  Trace(30, u"sorted");
  if (ended != ERROR_NO_MORE_FILES) throw Win32Exception(ended);
}

}  // namespace cmr
