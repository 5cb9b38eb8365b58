// One classic event log as the event-log service reads it: its records in
// order, oldest first, as genuine EVENTLOGRECORD bytes. A log lives in a .evt
// image (in memory, or the computer's log file), in a Windows Event Log
// channel (the classic view of its events), or in a backup file opened
// read-only. Callers hold the host lock.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/api/errors.h"
#include "platform/api/types.h"

namespace host {

class ClassicLog {
 public:
  virtual ~ClassicLog() = default;

  // Records held, oldest first; their numbers go up (gaps only in logs
  // rebuilt from damaged files).
  virtual size_t Size() = 0;
  virtual uint32_t NumberAt(size_t index) = 0;
  // The record's bytes; valid until the next call on the log.
  virtual std::span<const uint8_t> At(size_t index) = 0;

  // True when the log cannot take new records (GetEventLogInformation).
  virtual bool Full() = 0;
  // Changes when the log is cleared: open readers can no longer read it.
  virtual uint64_t Generation() = 0;

  // Writes a copy of the log to a new file (Linux path); 0 or the error.
  virtual DWORD WriteBackup(const std::string& linuxPath) = 0;
  // Removes every record; 0 or the error.
  virtual DWORD Clear() = 0;

  // What was found damaged when the log's file was read (one line each), and
  // the records known to be lost; Windows tells a reader none of this.
  virtual std::vector<std::string> Diagnostics() { return {}; }
  virtual uint64_t Skipped() { return 0; }
  // A reader closed its handle: the log closes its file until it is read
  // again.
  virtual void CloseFile() {}

  // GetOldestEventLogRecord: 0 for an empty log.
  uint32_t OldestNumber() { return Size() == 0 ? 0 : NumberAt(0); }
  // GetNumberOfEventLogRecords: the span of record numbers held.
  uint32_t Count() { return Size() == 0 ? 0 : NumberAt(Size() - 1) - NumberAt(0) + 1; }
  // Index of the first record whose number is at least `number` (Size() when none).
  virtual size_t LowerBound(uint32_t number);
};

// Reads a backup file (.evt, or .evtx in its classic view). 0 or the error:
// 2 / 3 when missing, 5 for a folder, 1500 when it is no event log.
DWORD ReadClassicBackupFile(const std::string& linuxPath, std::unique_ptr<ClassicLog>* out);

}  // namespace host
