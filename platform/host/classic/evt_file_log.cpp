#include "platform/host/classic/evt_file_log.h"

namespace host {

EvtFileLog::EvtFileLog() = default;

std::unique_ptr<EvtFileLog> EvtFileLog::Open(const std::string& linuxPath, DWORD* error) {
  std::unique_ptr<EvtFileLog> log(new EvtFileLog());
  if (!log->window_.Open(linuxPath, nullptr)) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  log->source_ = std::make_unique<formats::EvtWindowSource>(log->window_);
  // Records are read again through a ring that goes round the data area:
  // the scan accepts a record that crosses the end of the file only where
  // the log wraps there.
  log->ring_ = formats::EvtRing(log->source_->Size());
  log->index_ = formats::EvtRecordIndex(*log->source_, log->ring_);
  formats::EvtFile scan = formats::ScanEvtFile(
      *log->source_, [&](formats::EvtRecord&& r) { log->index_.Add(r.offset, static_cast<uint32_t>(r.bytes.size())); });
  if (!scan.headerValid && scan.recordCount == 0) {
    *error = ERROR_EVENTLOG_FILE_CORRUPT;
    return nullptr;
  }
  log->full_ = scan.Full();
  log->skipped_ = scan.skipped;
  for (const auto& d : scan.diagnostics) log->diagnostics_.push_back(d.Text());
  return log;
}

std::span<const uint8_t> EvtFileLog::At(size_t index) {
  const formats::EvtRecordSpot spot = index_.At(index);
  record_.resize(spot.length);
  ring_.Read(*source_, spot.offset, record_);
  return record_;
}

}  // namespace host
