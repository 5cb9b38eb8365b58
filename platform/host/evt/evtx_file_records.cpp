#include "platform/host/evt/evtx_file_records.h"

#include <algorithm>

namespace host {

std::shared_ptr<EvtxFileRecords> EvtxFileRecords::Open(const std::string& path, std::string* error) {
  auto file = std::make_shared<EvtxFileRecords>();
  std::string why;
  if (!formats::EvtxReader::Open(path, file->reader_, why)) {
    if (error) *error = why;
    return nullptr;
  }
  if (!file->reader_->headerValid()) {
    if (error)
      *error = file->reader_->headerDiagnostics().empty() ? "not an .evtx file" : file->reader_->headerDiagnostics()[0];
    return nullptr;
  }
  file->diagnostics_ = file->reader_->headerDiagnostics();
  // A skipped chunk's records are not counted: its header cannot be trusted.
  file->chunks_ = formats::EvtxChunkOrder(*file->reader_, file->diagnostics_);
  for (const auto& c : file->chunks_) {
    file->starts_.push_back(file->total_);
    file->total_ += c.count;
  }
  file->seen_.assign(file->chunks_.size(), false);
  return file;
}

uint64_t EvtxFileRecords::newestRecordId() const { return chunks_.empty() ? 0 : chunks_.back().lastRecordId; }

void EvtxFileRecords::load(size_t chunk) {
  if (chunk == cached_) return;
  std::vector<std::string> found;
  records_ = formats::EvtxChunkRecords::Read(*reader_, chunks_[chunk].index, found, spareBytes());
  ++parsed_;
  cached_ = chunk;
  if (!seen_[chunk]) {
    seen_[chunk] = true;
    diagnostics_.insert(diagnostics_.end(), found.begin(), found.end());
    size_t read = records_ ? records_->size() : 0;
    if (read < chunks_[chunk].count) skipped_ += chunks_[chunk].count - read;
  }
}

// The bytes of a chunk read before that no event holds any more (empty when
// there is none); the chunks no longer held are released.
std::vector<uint8_t> EvtxFileRecords::spareBytes() {
  constexpr size_t kMostRetired = 4;  // beyond, the events that hold a chunk keep it alone
  if (records_) retired_.push_back(std::move(records_));
  std::vector<uint8_t> spare;
  for (auto& r : retired_) {
    if (r.use_count() > 1) continue;
    if (spare.empty()) spare = formats::EvtxChunkRecords::Recycle(r);
    r.reset();
  }
  std::erase(retired_, nullptr);
  if (retired_.size() > kMostRetired) retired_.erase(retired_.begin());
  return spare;
}

size_t EvtxFileRecords::chunkOf(uint64_t position) const {
  return static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), position) - starts_.begin()) - 1;
}

const EventRecordPtr* EvtxFileRecords::at(uint64_t position) {
  std::shared_ptr<formats::EvtxChunkRecords> chunk;
  size_t index = 0;
  if (!chunkAt(position, chunk, index)) return nullptr;
  return &chunk->record(index);
}

bool EvtxFileRecords::chunkAt(uint64_t position, std::shared_ptr<formats::EvtxChunkRecords>& chunk, size_t& index) {
  if (position >= total_) return false;
  size_t c = chunkOf(position);
  load(c);
  uint64_t i = position - starts_[c];
  if (!records_ || i >= records_->size()) return false;
  chunk = records_;
  index = static_cast<size_t>(i);
  return true;
}

uint64_t EvtxFileRecords::positionOf(uint64_t recordId, bool* exact) {
  *exact = false;
  // The first chunk whose records reach the id.
  auto it = std::find_if(chunks_.begin(), chunks_.end(),
                         [&](const formats::EvtxChunkEntry& c) { return c.lastRecordId >= recordId; });
  if (it == chunks_.end()) return total_;
  size_t chunk = static_cast<size_t>(it - chunks_.begin());
  if (recordId < it->firstRecordId) return starts_[chunk];
  load(chunk);
  for (size_t i = 0; records_ && i < records_->size(); ++i) {
    if (records_->recordId(i) < recordId) continue;
    *exact = records_->recordId(i) == recordId;
    return starts_[chunk] + i;
  }
  return chunk + 1 < starts_.size() ? starts_[chunk + 1] : total_;
}

}  // namespace host
