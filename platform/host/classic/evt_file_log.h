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
#include "platform/formats/evt_record_index.h"
#include "platform/formats/evt_ring.h"
#include "platform/formats/evt_source.h"
#include "platform/formats/file_window.h"
#include "platform/host/classic/classic_log.h"

namespace host {

class EvtFileLog : public ClassicLog {
 public:
  // Scans the file; nullptr with *error set (5: unreadable, 1500: no event log).
  static std::unique_ptr<EvtFileLog> Open(const std::string& linuxPath, DWORD* error);

  size_t Size() override { return index_.Size(); }
  uint32_t NumberAt(size_t index) override { return index_.NumberAt(index); }
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override { return full_; }
  uint64_t Generation() override { return 0; }
  DWORD WriteBackup(const std::string&) override { return ERROR_INVALID_HANDLE; }
  DWORD Clear() override { return ERROR_INVALID_HANDLE; }
  std::vector<std::string> Diagnostics() override { return diagnostics_; }
  uint64_t Skipped() override { return skipped_; }

 private:
  EvtFileLog();

  formats::FileWindow window_;
  std::unique_ptr<formats::EvtWindowSource> source_;
  formats::EvtRing ring_{0};
  formats::EvtRecordIndex index_;
  bool full_ = false;
  std::vector<std::string> diagnostics_;
  uint64_t skipped_ = 0;
  std::vector<uint8_t> record_;  // the record At() handed out last
};

}  // namespace host
