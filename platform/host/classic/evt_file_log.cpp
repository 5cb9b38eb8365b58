#include "platform/host/classic/evt_file_log.h"

#include <algorithm>
#include <cstddef>

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
  formats::EvtFile scan = formats::ScanEvtFile(*log->source_, [&](formats::EvtRecord&& r) { log->Add(r); });
  if (!scan.headerValid && scan.recordCount == 0) {
    *error = ERROR_EVENTLOG_FILE_CORRUPT;
    return nullptr;
  }
  log->full_ = scan.Full();
  log->skipped_ = scan.skipped;
  for (const auto& d : scan.diagnostics) log->diagnostics_.push_back(d.Text());
  return log;
}

void EvtFileLog::Add(const formats::EvtRecord& record) {
  const auto length = static_cast<uint32_t>(record.bytes.size());
  const bool follows = count_ > 0 && record.offset == nextOffset_ && count_ - runs_.back().firstIndex < kRunLength;
  if (!follows) runs_.push_back({count_, record.Number(), record.offset});
  nextOffset_ = ring_.Advance(record.offset, length);
  ++count_;
}

uint32_t EvtFileLog::LoadAt(uint32_t offset) const { return ring_.Load<uint32_t>(*source_, offset); }

uint32_t EvtFileLog::LengthAt(uint32_t offset) const {
  // The scan found a record here; a file changed since then gives the
  // smallest record instead of a length that runs anywhere.
  const uint32_t length = LoadAt(offset);
  return length >= formats::kEvtRecordMinSize && length <= ring_.Capacity() ? length : formats::kEvtRecordMinSize;
}

void EvtFileLog::Seek(size_t index) {
  if (index == cursorIndex_) return;
  const auto run =
      std::upper_bound(runs_.begin(), runs_.end(), index, [](size_t i, const Run& r) { return i < r.firstIndex; }) - 1;
  size_t at = run->firstIndex;
  uint32_t offset = run->offset;
  // Going on from the cursor inside the same run saves walking from its start.
  if (cursorIndex_ != SIZE_MAX && cursorIndex_ >= at && cursorIndex_ < index) {
    at = cursorIndex_;
    offset = cursorOffset_;
  }
  uint32_t length = LengthAt(offset);
  for (; at < index; ++at) {
    offset = ring_.Advance(offset, length);
    length = LengthAt(offset);
  }
  cursorIndex_ = index;
  cursorOffset_ = offset;
  cursorLength_ = length;
}

uint32_t EvtFileLog::NumberAt(size_t index) {
  Seek(index);
  return LoadAt(ring_.Advance(cursorOffset_, offsetof(EVENTLOGRECORD, RecordNumber)));
}

std::span<const uint8_t> EvtFileLog::At(size_t index) {
  Seek(index);
  record_.resize(cursorLength_);
  ring_.Read(*source_, cursorOffset_, record_);
  return record_;
}

}  // namespace host
