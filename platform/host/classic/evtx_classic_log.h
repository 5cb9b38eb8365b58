// The classic view of Windows Event Log events, read where they are: the
// events of a channel, or of an .evtx file opened as a backup
// (OpenBackupEventLogW), which is read a chunk at a time. Record numbers
// are the low 32 bits of the record ids; a record's EVENTLOGRECORD bytes
// are made when it is read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/host/classic/classic_log.h"
#include "platform/host/evt/event_channels.h"

namespace host {

class EvtxClassicLog : public ClassicLog {
 public:
  EvtxClassicLog(std::shared_ptr<EventRecordLog> log, bool full) : log_(std::move(log)), full_(full) {}
  // An .evtx file as a read-only log; nullptr when it is no .evtx file.
  static std::unique_ptr<EvtxClassicLog> OpenFile(const std::string& linuxPath);

  size_t Size() override { return static_cast<size_t>(log_->size()); }
  uint32_t NumberAt(size_t index) override;
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override { return full_; }
  uint64_t Generation() override { return log_->generation; }
  // A backup file is read-only: neither backed up again nor cleared.
  DWORD WriteBackup(const std::string&) override { return ERROR_INVALID_HANDLE; }
  DWORD Clear() override { return ERROR_INVALID_HANDLE; }
  std::vector<std::string> Diagnostics() override;
  uint64_t Skipped() override;
  // From the chunk headers and the one chunk that holds the number.
  size_t LowerBound(uint32_t number) override;

 protected:
  std::shared_ptr<EventRecordLog> log_;

 private:
  bool full_;
  EventRecordPtr cached_;  // the record whose classic bytes are in cache_
  std::vector<uint8_t> cache_;
};

}  // namespace host
