#include "platform/host/classic/evtx_classic_log.h"

#include "platform/host/classic/classic_view.h"

namespace host {

std::unique_ptr<EvtxClassicLog> EvtxClassicLog::OpenFile(const std::string& linuxPath) {
  auto log = std::make_shared<EventRecordLog>();
  log->file = EvtxFileRecords::Open(linuxPath);
  if (!log->file) return nullptr;
  const bool full = (log->file->header().flags & 2) != 0;
  return std::make_unique<EvtxClassicLog>(std::move(log), full);
}

uint32_t EvtxClassicLog::NumberAt(size_t index) {
  const EventRecordPtr* r = log_->at(index);
  return r ? static_cast<uint32_t>((*r)->recordId) : 0;
}

std::span<const uint8_t> EvtxClassicLog::At(size_t index) {
  const EventRecordPtr* found = log_->at(index);
  static const EventRecordPtr none = std::make_shared<const formats::EvtxRecord>();
  const EventRecordPtr& record = found ? *found : none;
  if (record != cached_) {
    cache_ = ClassicRecordOf(*record);
    cached_ = record;
  }
  return cache_;
}

std::vector<std::string> EvtxClassicLog::Diagnostics() {
  return log_->file ? log_->file->diagnostics() : std::vector<std::string>{};
}

uint64_t EvtxClassicLog::Skipped() { return log_->file ? log_->file->skipped() : 0; }

size_t EvtxClassicLog::LowerBound(uint32_t number) {
  // Record numbers are the ids themselves while ids stay below 2^32.
  if (!log_->file || log_->file->newestRecordId() > UINT32_MAX) return ClassicLog::LowerBound(number);
  bool exact = false;
  return static_cast<size_t>(log_->file->positionOf(number, &exact));
}

}  // namespace host
