// A classic .evt file opened read-only (OpenBackupEventLogW), read where the
// reader is instead of copied into memory, in one pass where it can be: a
// file whose clean header points at its end-of-file record is taken at its
// word (the counts and numbers are the header's) and each record is checked
// as it is first read; only a file that is not sound is scanned whole first
// (and a file found damaged while it is read is scanned then: from there on
// it holds the records the scan found). Either way only where each run of
// records starts is kept (EvtRecordIndex), so the memory held does not grow
// with the file beyond one small entry per run.
#pragma once

#include <memory>
#include <optional>
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

  size_t Size() override { return located_ ? located_->recordCount : index_.Size(); }
  uint32_t NumberAt(size_t index) override;
  // Empty when a record the header claims turns out not to be there: the
  // log then holds fewer records than before.
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override { return full_; }
  uint64_t Generation() override { return 0; }
  DWORD WriteBackup(const std::string&) override { return ERROR_INVALID_HANDLE; }
  DWORD Clear() override { return ERROR_INVALID_HANDLE; }
  std::vector<std::string> Diagnostics() override;
  uint64_t Skipped() override;

 private:
  EvtFileLog();
  // Reads the whole file to find its records.
  void Scan();
  // Checks the records the header claims up to `index`; scans the file
  // when one is not as claimed. False then.
  bool CheckUpTo(size_t index);
  bool CheckNext();

  formats::FileWindow window_;
  std::unique_ptr<formats::EvtWindowSource> source_;
  formats::EvtRing ring_{0};
  formats::EvtRecordIndex index_;
  std::optional<formats::EvtFile> located_;  // while the header's word is taken
  uint32_t nextOffset_ = 0;                  // of the first record not checked yet
  size_t recordIndex_ = SIZE_MAX;            // of the record in record_
  bool full_ = false;
  bool headerValid_ = false;
  std::vector<std::string> diagnostics_;
  uint64_t skipped_ = 0;
  std::vector<uint8_t> record_;  // the record At() handed out last
};

}  // namespace host
