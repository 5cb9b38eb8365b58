// Archived backup files of a log: the time in their names, and deleting the
// ones that have been read completely once they are old enough.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "collect/backup_file.h"

namespace cmr {

// The name pattern of a log's archives: "Archive-<baseName>-<time stamp>.evt?".
std::u16string ArchivePattern(const std::u16string& baseName);

// Seconds (C runtime local-time conversion) of the time stamp that starts 23
// characters before the last "." of the name ("...-2011-03-01-10-00-00-000.evt");
// 0 when the name has none or its year is before 1900. Other impossible
// values raise cmr::Win32Exception(ERROR_INVALID_PARAMETER).
int64_t BackupFileTime(const std::u16string& fileName);

// The warning of a run whose list of backups was cut short by `failure`:
// the records that only the missing backups hold were not read.
std::u16string BackupListWarning(const std::u16string& failure);

// The warning of a run that went past a backup it could not read
// (`problem`: its path and why): its records were not collected.
std::u16string UnreadBackupWarning(const std::u16string& problem);

// Whether a search for archives that failed with `error` only found none
// (no such file or folder), rather than failing to look.
bool FoundNoArchives(uint32_t error);

// True when the name's time is at least `hours` hours ago; 0 hours: never.
bool IsOldEnough(const std::u16string& fileName, uint16_t hours);

// Deletes the entries before `current` (an index; the list's size means the
// live log) from the first on, stopping at the first one that is not old
// enough. 0 hours deletes nothing. The list is not changed.
void DeleteReadBackups(const std::vector<BackupFile>& backups, size_t current, uint16_t hours);

}  // namespace cmr
