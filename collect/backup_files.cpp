#include "collect/backup_files.h"

#include <ctime>

#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

// Reads "%d-%d-%d-%d-%d-%d-%d"; false unless all seven are read.
bool ParseStamp(std::u16string_view text, int fields[7]) {
  size_t at = 0;
  for (int i = 0; i < 7; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != u'-') return false;
      ++at;
    }
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
    bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
    if (at >= text.size() || text[at] < u'0' || text[at] > u'9') return false;
    long long value = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
      if (value < 100000000) value = value * 10 + (text[at] - u'0');
      ++at;
    }
    fields[i] = static_cast<int>(negative ? -value : value);
  }
  return true;
}

// Calendar fields to seconds as the C runtime's local time.
int64_t CalendarSeconds(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1900) return 0;
  const bool valid = year >= 1970 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour < 24 &&
                     minute >= 0 && minute < 60 && second >= 0 && second < 60;
  if (!valid) throw Win32Exception(ERROR_INVALID_PARAMETER);
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&tm);
  if (seconds == static_cast<std::time_t>(-1)) throw Win32Exception(static_cast<DWORD>(E_FAIL));
  return seconds;
}

// Deletes one file with file-system redirection switched off.
void DeleteInSys32(const std::u16string& path) {
  PVOID saved = nullptr;
  if (!Wow64DisableWow64FsRedirection(&saved))
    Trace(10, u"SetX64Indirection(false) failed in DeleteInSys32: %d", GetLastError());
  const BOOL deleted = DeleteFileW(path.c_str());
  const DWORD error = deleted ? 0 : GetLastError();
  if (!Wow64RevertWow64FsRedirection(saved))
    Trace(10, u"SetX64Indirection(true) failed in DeleteInSys32: %d", GetLastError());
  if (!deleted) Trace(10, u"error while deleting backup %s: %d", path, error);
}

}  // namespace

std::u16string ArchivePattern(const std::u16string& baseName) {
  // Split so that no "??" followed by another character reads as a trigraph.
  return u"Archive-" + baseName +
         u"-????"
         u"-??"
         u"-??"
         u"-??"
         u"-??"
         u"-??"
         u"-???.evt?";
}

bool FoundNoArchives(uint32_t error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

std::u16string BackupListWarning(const std::u16string& failure) {
  return u"The archived backups of the log could not be listed (" + failure +
         u"): records that only they hold were not read. ";
}

std::u16string UnreadBackupWarning(const std::u16string& problem) {
  return u"An archived backup of the log could not be read (" + problem + u"): its records were not collected. ";
}

int64_t BackupFileTime(const std::u16string& fileName) {
  const size_t dot = fileName.rfind(u'.');
  if (dot == std::u16string::npos || dot < 23) return 0;
  int f[7] = {};
  if (!ParseStamp(std::u16string_view(fileName).substr(dot - 23), f)) return 0;
  return CalendarSeconds(f[0], f[1], f[2], f[3], f[4], f[5]);
}

bool IsOldEnough(const std::u16string& fileName, uint16_t hours) {
  if (hours == 0) return false;
  SYSTEMTIME now{};
  GetSystemTime(&now);
  const int64_t nowSeconds = CalendarSeconds(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  return nowSeconds - BackupFileTime(fileName) >= static_cast<int64_t>(hours) * 3600;
}

void DeleteReadBackups(const std::vector<BackupFile>& backups, size_t current, uint16_t hours) {
  if (hours == 0) return;
  for (const BackupFile& backup : backups) {
    if (current < backups.size() && backup.FileName == backups[current].FileName) break;
    bool old = false;
    try {
      old = IsOldEnough(backup.FileName, hours);
    } catch (const BaseException&) {
      old = false;  // a name without a sound time is never deleted
    }
    if (!old) break;
    Trace(30, u"backup %s will be deleted due to registry setting", backup.FullPath());
    DeleteInSys32(backup.FullPath());
  }
}

}  // namespace cmr
