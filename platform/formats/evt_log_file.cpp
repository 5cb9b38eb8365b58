#include "platform/formats/evt_log_file.h"

#include <algorithm>

namespace formats {
namespace {

constexpr uint32_t kSmallestMaxSize = kEvtHeaderSize + kEvtEofSize + kEvtRecordMinSize;

template <class T>
std::span<const uint8_t> AsBytes(const T& value) {
  return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&value), sizeof(T));
}

}  // namespace

EvtLogFile::EvtLogFile(uint32_t maxSize, uint32_t retention)
    : maxSize_(std::max(maxSize & ~3u, kSmallestMaxSize)), retention_(retention) {
  image_.assign(std::min(maxSize_, kEvtGrowStep), 0);
  WriteEofAndHeader();
  NoteWhole();
}

std::optional<EvtLogFile> EvtLogFile::FromImage(std::vector<uint8_t> image) {
  const EvtFile file = ReadEvtFile(image);
  if (!file.headerValid && file.records.empty()) return std::nullopt;
  const uint32_t size = file.fileSize;
  EvtLogFile log(std::max(file.header.MaxSize, size), file.header.Retention);
  if (!file.Damaged() && file.eofFound && size == image.size() && size % 4 == 0) {
    log.image_ = std::move(image);
    log.start_ = file.startOffset;
    log.end_ = file.endOffset;
    log.current_ = file.currentRecordNumber;
    log.oldest_ = file.oldestRecordNumber;
    log.flags_ = file.header.Flags & ~ELF_LOGFILE_HEADER_DIRTY;
    log.WriteEofAndHeader();
    log.changes_.clear();  // as on disk, but for the header made clean
    return log;
  }
  // Rebuilt with every record that fits, newest ones first in importance.
  log.flags_ = file.header.Flags & ELF_LOGFILE_ARCHIVE_SET;
  log.retention_ = 0;
  for (const auto& record : file.records) {
    const uint32_t next = log.current_;
    log.current_ = record.Number();
    if (log.Append(record.bytes).status != EvtAppendStatus::Written) log.current_ = next;
  }
  log.retention_ = file.header.Retention;
  log.WriteEofAndHeader();
  log.NoteWhole();
  return log;
}

EvtAppendResult EvtLogFile::Append(const EvtRecordFields& fields) {
  const auto bytes = BuildEvtRecord(fields);
  if (bytes.empty()) return {EvtAppendStatus::TooLarge};
  return Append(bytes);
}

EvtAppendResult EvtLogFile::Append(std::span<const uint8_t> record) {
  EvtAppendResult result;
  if (!CheckEvtRecordFrame(record).empty()) return {EvtAppendStatus::InvalidRecord};
  const auto length = static_cast<uint32_t>(record.size());
  if (length > maxSize_ - kEvtHeaderSize - kEvtEofSize) return {EvtAppendStatus::TooLarge};

  std::vector<uint8_t> bytes(record.begin(), record.end());
  auto header = LoadAt<EVENTLOGRECORD>(bytes, 0);
  header.RecordNumber = current_;
  StoreAt(std::span<uint8_t>(bytes), 0, header);

  // Record number 0xFFFFFFFF was the last one a log can give.
  if (current_ == 0 || !MakeRoom(length, header.TimeWritten, &result.overwritten)) {
    flags_ |= ELF_LOGFILE_LOGFULL_WRITTEN;
    WriteEofAndHeader();
    result.status = EvtAppendStatus::LogFull;
    return result;
  }
  flags_ &= ~ELF_LOGFILE_LOGFULL_WRITTEN;
  WriteAt(end_, bytes);
  if (oldest_ == 0) {
    oldest_ = current_;
    start_ = end_;
  }
  const uint32_t next = Ring().Advance(end_, length);
  if (next < end_) flags_ |= ELF_LOGFILE_HEADER_WRAP;
  end_ = next;
  result.recordNumber = current_++;
  WriteEofAndHeader();
  return result;
}

void EvtLogFile::Clear() { *this = EvtLogFile(maxSize_, retention_); }

std::vector<EvtRecord> EvtLogFile::Records() const { return ReadEvtFile(image_).records; }

uint32_t EvtLogFile::FreeBytes() const {
  const EvtRing ring = Ring();
  const uint32_t used = (oldest_ == 0 ? 0 : ring.Distance(start_, end_)) + kEvtEofSize;
  return ring.Capacity() > used ? ring.Capacity() - used : 0;
}

bool EvtLogFile::MakeRoom(uint32_t length, uint32_t timeWritten, uint32_t* overwritten) {
  // Below the maximum size the file grows instead of wrapping: the record and
  // the end-of-file record after it must fit before the end of the file.
  while (CanGrow() && uint64_t{end_} + length + kEvtEofSize > image_.size()) {
    const auto old = static_cast<uint32_t>(image_.size());
    image_.resize(std::min<size_t>(maxSize_, image_.size() + kEvtGrowStep), 0);
    NoteChange(old, static_cast<uint32_t>(image_.size()) - old);
  }
  while (FreeBytes() < length) {
    if (oldest_ == 0 || !MayOverwriteOldest(timeWritten)) return false;
    DropOldest();
    ++*overwritten;
  }
  return true;
}

bool EvtLogFile::CanGrow() const {
  // Only while the records lie in one piece: growing a wrapped file would
  // put free space in the middle of the records.
  return image_.size() < maxSize_ && (oldest_ == 0 || start_ <= end_);
}

bool EvtLogFile::MayOverwriteOldest(uint32_t timeWritten) const {
  if (retention_ == 0) return true;
  if (retention_ == kEvtRetainForever) return false;
  const auto oldest = Ring().Load<EVENTLOGRECORD>(image_, start_);
  return timeWritten >= oldest.TimeWritten && timeWritten - oldest.TimeWritten >= retention_;
}

void EvtLogFile::DropOldest() {
  const EvtRing ring = Ring();
  start_ = ring.Advance(start_, ring.Load<uint32_t>(image_, start_));
  // Numbers may have gaps in a log rebuilt from a damaged file.
  oldest_ = start_ == end_ ? 0 : ring.Load<EVENTLOGRECORD>(image_, start_).RecordNumber;
}

void EvtLogFile::WriteAt(uint32_t offset, std::span<const uint8_t> bytes) {
  const EvtRing ring = Ring();
  if (ring.Crosses(offset, static_cast<uint32_t>(bytes.size()))) flags_ |= ELF_LOGFILE_HEADER_WRAP;
  ring.Write(image_, offset, bytes);
  const auto length = static_cast<uint32_t>(bytes.size());
  if (ring.Crosses(offset, length)) {
    const uint32_t first = ring.FileSize() - offset;
    NoteChange(offset, first);
    NoteChange(kEvtHeaderSize, length - first);
  } else {
    NoteChange(offset, length);
  }
}

void EvtLogFile::NoteChange(uint32_t offset, uint32_t length) {
  if (length == 0) return;
  // Joined with the piece it continues or overlaps (an append's record and
  // end-of-file record, the file's growth after them).
  for (EvtFilePiece& p : changes_) {
    if (offset <= p.offset + p.length && p.offset <= offset + length) {
      const uint32_t end = std::max(p.offset + p.length, offset + length);
      p.offset = std::min(p.offset, offset);
      p.length = end - p.offset;
      return;
    }
  }
  changes_.push_back({offset, length});
}

std::vector<EvtFilePiece> EvtLogFile::TakeChanges() {
  std::vector<EvtFilePiece> pieces = std::move(changes_);
  changes_.clear();
  const bool whole = pieces.size() == 1 && pieces[0].offset == 0;
  if (headerChanged_ && !whole) pieces.push_back({0, kEvtHeaderSize});
  headerChanged_ = false;
  return pieces;
}

void EvtLogFile::WriteEofAndHeader() {
  WriteAt(end_, AsBytes(MakeEofRecord(start_, end_, current_, oldest_)));
  ELF_LOGFILE_HEADER h{};
  h.HeaderSize = kEvtHeaderSize;
  h.Signature = kEvtSignature;
  h.MajorVersion = 1;
  h.MinorVersion = 1;
  h.StartOffset = start_;
  h.EndOffset = end_;
  h.CurrentRecordNumber = current_;
  h.OldestRecordNumber = oldest_;
  h.MaxSize = maxSize_;
  h.Flags = flags_;
  h.Retention = retention_;
  h.EndHeaderSize = kEvtHeaderSize;
  StoreAt(std::span<uint8_t>(image_), 0, h);
  headerChanged_ = true;
}

}  // namespace formats
