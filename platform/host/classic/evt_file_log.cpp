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
  log->located_ = formats::LocateEvtRecords(*log->source_);
  if (log->located_) {
    log->full_ = log->located_->Full();
    log->nextOffset_ = log->located_->startOffset;
    return log;
  }
  log->Scan();
  if (log->index_.Size() == 0 && !log->headerValid_) {
    *error = ERROR_EVENTLOG_FILE_CORRUPT;
    return nullptr;
  }
  return log;
}

void EvtFileLog::Scan() {
  located_.reset();
  recordIndex_ = SIZE_MAX;
  index_ = formats::EvtRecordIndex(*source_, ring_);
  const formats::EvtFile scan = formats::ScanEvtFile(
      *source_, [&](formats::EvtRecord&& r) { index_.Add(r.offset, static_cast<uint32_t>(r.bytes.size())); });
  headerValid_ = scan.headerValid;
  full_ = scan.Full();
  skipped_ = scan.skipped;
  for (const auto& d : scan.diagnostics) diagnostics_.push_back(d.Text());
}

bool EvtFileLog::CheckNext() {
  const formats::EvtFile& claims = *located_;
  const size_t at = index_.Size();
  std::string why;
  const uint32_t length =
      formats::EvtFramedLength(*source_, formats::EvtScanRing(claims), nextOffset_, claims.endOffset, &why);
  if (length == 0) return false;
  record_.resize(length);
  ring_.Read(*source_, nextOffset_, record_);
  const formats::EvtRecordView view(record_);
  if (view.RecordNumber() != claims.oldestRecordNumber + at || !view.Problems().empty()) return false;
  index_.Add(nextOffset_, length);
  recordIndex_ = at;
  nextOffset_ = ring_.Advance(nextOffset_, length);
  // The last record claimed ends where the end-of-file record is.
  return at + 1 < claims.recordCount || nextOffset_ == claims.endOffset;
}

bool EvtFileLog::CheckUpTo(size_t index) {
  while (located_ && index_.Size() <= index && index_.Size() < located_->recordCount) {
    if (!CheckNext()) Scan();
  }
  return located_.has_value();
}

uint32_t EvtFileLog::NumberAt(size_t index) {
  if (located_) return located_->oldestRecordNumber + static_cast<uint32_t>(index);
  return index_.NumberAt(index);
}

std::vector<std::string> EvtFileLog::Diagnostics() {
  if (located_) CheckUpTo(located_->recordCount);
  return diagnostics_;
}

uint64_t EvtFileLog::Skipped() {
  if (located_) CheckUpTo(located_->recordCount);
  return skipped_;
}

std::span<const uint8_t> EvtFileLog::At(size_t index) {
  CheckUpTo(index);
  if (index == recordIndex_) return record_;
  if (index >= index_.Size()) return {};
  const formats::EvtRecordSpot spot = index_.At(index);
  record_.resize(spot.length);
  ring_.Read(*source_, spot.offset, record_);
  recordIndex_ = index;
  return record_;
}

}  // namespace host
