// A classic event log kept as a .evt file: in memory, or in the computer's
// log file, read through a window where the records are asked for (the file
// is checked when the log is first opened, and again when it changed on
// disk) and written in place after every change.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_record_index.h"
#include "platform/host/classic/classic_log.h"

namespace host {

class EvtClassicLog : public ClassicLog {
 public:
  // path: Linux path of the log file; empty for a log kept in memory.
  EvtClassicLog(std::string path, DWORD maxSize, DWORD retention);

  size_t Size() override { return index_.Size(); }
  uint32_t NumberAt(size_t index) override { return index_.NumberAt(index); }
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override { return file_.Full(); }
  uint64_t Generation() override { return generation_; }
  DWORD WriteBackup(const std::string& linuxPath) override;
  DWORD Clear() override;
  void CloseFile() override { file_.ReleaseFile(); }
  // The damage found when the file was last read damaged, since the log was
  // opened or cleared: its records are gone also once the file is rebuilt.
  std::vector<std::string> Diagnostics() override { return diagnostics_; }
  uint64_t Skipped() override { return skipped_; }

  const std::string& Path() const { return path_; }
  // 0, or the error that keeps the log from being opened (1500 when its
  // file is not an event log; the file is then left untouched).
  DWORD LoadError() const { return loadError_; }

  // Reads the file again when it changed on disk since it was last read or
  // written; a file that restarted its record numbers counts as cleared.
  void Refresh();
  // The registry's limits: a larger maximum size applies at once, a smaller
  // one from the next clear (as the service applies it); retention at once.
  void SetLimits(DWORD maxSize, DWORD retention);

  // Appends a record (its number is given by the log) and writes what
  // changed to the file. When the write fails the log is read again from
  // the file, which holds its records up to the last whole one.
  formats::EvtAppendResult Append(std::span<const uint8_t> record, DWORD* saveError);

 private:
  void Load();
  // Keeps what reading a damaged file found, in place of what was kept.
  void KeepDamage(const formats::EvtFile& scan);
  void ApplyLimits();
  DWORD Save();
  void Adopt(formats::EvtLogFile file);
  void Reindex();
  // The index reads the log's bytes where they are now.
  void Bind();
  void NoteFileState();
  bool SameHeaderOnDisk() const;

  std::string path_;
  DWORD maxSize_;
  DWORD retention_;
  formats::EvtLogFile file_;
  formats::EvtRecordIndex index_;
  std::vector<uint8_t> record_;  // the record At() handed out last
  uint64_t generation_ = 0;
  DWORD loadError_ = 0;
  off_t seenSize_ = -1;
  long long seenTime_ = -1;  // modification time in nanoseconds
  std::vector<std::string> diagnostics_;
  uint64_t skipped_ = 0;
};

}  // namespace host
