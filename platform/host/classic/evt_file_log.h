// A classic .evt file opened read-only (OpenBackupEventLogW), read where the
// reader is instead of copied into memory: the file is scanned once through
// a small window, which keeps only where each run of records starts (a run:
// up to kRunLength records that follow one another in the file); a record is
// read from its run when it is asked for. The memory held does not grow with
// the file beyond one small entry per run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/formats/evt_reader.h"
#include "platform/formats/evt_ring.h"
#include "platform/formats/evt_source.h"
#include "platform/formats/file_window.h"
#include "platform/host/classic/classic_log.h"

namespace host {

class EvtFileLog : public ClassicLog {
 public:
  static constexpr size_t kRunLength = 64;

  // Scans the file; nullptr with *error set (5: unreadable, 1500: no event log).
  static std::unique_ptr<EvtFileLog> Open(const std::string& linuxPath, DWORD* error);

  size_t Size() override { return count_; }
  uint32_t NumberAt(size_t index) override;
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override { return full_; }
  uint64_t Generation() override { return 0; }
  DWORD WriteBackup(const std::string&) override { return ERROR_INVALID_HANDLE; }
  DWORD Clear() override { return ERROR_INVALID_HANDLE; }
  std::vector<std::string> Diagnostics() override { return diagnostics_; }
  uint64_t Skipped() override { return skipped_; }

 private:
  struct Run {
    size_t firstIndex;
    uint32_t firstNumber;
    uint32_t offset;
  };

  EvtFileLog();
  void Add(const formats::EvtRecord& record);
  // Moves the cursor to the record at `index`: its offset and length.
  void Seek(size_t index);
  uint32_t LoadAt(uint32_t offset) const;
  uint32_t LengthAt(uint32_t offset) const;

  formats::FileWindow window_;
  std::unique_ptr<formats::EvtWindowSource> source_;
  formats::EvtRing ring_{0};
  std::vector<Run> runs_;
  size_t count_ = 0;
  uint32_t nextOffset_ = 0;  // where a record following the last one added would start
  bool full_ = false;
  std::vector<std::string> diagnostics_;
  uint64_t skipped_ = 0;

  size_t cursorIndex_ = SIZE_MAX;
  uint32_t cursorOffset_ = 0;
  uint32_t cursorLength_ = 0;
  std::vector<uint8_t> record_;  // the record At() handed out last
};

}  // namespace host
