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
    : EvtLogFile(std::make_unique<EvtMemoryImage>(), maxSize, retention) {
  image_->Resize(std::min(maxSize_, kEvtGrowStep));
  WriteEofAndHeader();
  NoteWhole();
}

EvtLogFile::EvtLogFile(std::unique_ptr<EvtImage> image, uint32_t maxSize, uint32_t retention)
    : image_(std::move(image)), maxSize_(std::max(maxSize & ~3u, kSmallestMaxSize)), retention_(retention) {
  memory_ = dynamic_cast<EvtMemoryImage*>(image_.get());
}

const std::vector<uint8_t>& EvtLogFile::Image() const {
  static const std::vector<uint8_t> none;
  return memory_ ? memory_->Bytes() : none;
}

std::optional<EvtLogFile> EvtLogFile::FromImage(std::vector<uint8_t> image) {
  auto bytes = std::make_unique<EvtMemoryImage>(std::move(image));
  const EvtFile file = ScanEvtFile(*bytes, [](EvtRecord&&) {});
  return Adopt(std::move(bytes), file);
}

std::optional<EvtLogFile> EvtLogFile::FromFile(const std::string& path, std::string* error, bool* notLog,
                                               EvtFile* scan) {
  *notLog = false;
  auto bytes = EvtFileImage::Open(path, error);
  if (!bytes) return std::nullopt;
  const EvtFile file = ScanEvtFile(*bytes, [](EvtRecord&&) {});
  if (scan) *scan = file;
  auto log = Adopt(std::move(bytes), file);
  if (!log) {
    *notLog = true;
    *error = path + " is not an event log";
  }
  return log;
}

std::optional<EvtLogFile> EvtLogFile::Adopt(std::unique_ptr<EvtImage> image, const EvtFile& file) {
  if (!file.headerValid && file.recordCount == 0) return std::nullopt;
  const uint32_t size = file.fileSize;
  if (file.Damaged() || !file.eofFound || size != image->Size() || size % 4 != 0) return Rebuild(file, *image);
  EvtLogFile log(std::move(image), std::max(file.header.MaxSize, size), file.header.Retention);
  log.start_ = file.startOffset;
  log.end_ = file.endOffset;
  log.current_ = file.currentRecordNumber;
  log.oldest_ = file.oldestRecordNumber;
  log.held_ = file.recordCount;
  log.flags_ = file.header.Flags & ~ELF_LOGFILE_HEADER_DIRTY;
  log.WriteEofAndHeader();
  log.changes_.clear();  // as on disk, but for the header made clean
  return log;
}

EvtLogFile EvtLogFile::Rebuild(const EvtFile& file, const EvtSource& bytes) {
  // Rebuilt with every record that fits, newest ones first in importance.
  EvtLogFile log(std::max(file.header.MaxSize, file.fileSize), file.header.Retention);
  log.flags_ = file.header.Flags & ELF_LOGFILE_ARCHIVE_SET;
  log.retention_ = 0;
  ScanEvtFile(bytes, [&log](EvtRecord&& record) {
    const uint32_t next = log.current_;
    log.current_ = record.Number();
    if (log.Append(record.bytes).status != EvtAppendStatus::Written) log.current_ = next;
  });
  log.retention_ = file.header.Retention;
  log.WriteEofAndHeader();
  log.NoteWhole();
  return log;
}

void EvtLogFile::SetLimits(uint32_t maxSize, uint32_t retention) {
  maxSize_ = std::max({maxSize & ~3u, kSmallestMaxSize, FileSize()});
  retention_ = retention;
  WriteHeader();
}

bool EvtLogFile::Saved(const std::string& path, std::string* error) {
  if (auto* file = dynamic_cast<EvtFileImage*>(image_.get())) {
    file->Saved();
    return true;
  }
  auto opened = EvtFileImage::Open(path, error);
  if (!opened || opened->Size() != FileSize()) {
    if (opened && error) *error = path + " does not hold the log as written";
    return false;
  }
  opened->Release();
  image_ = std::move(opened);
  memory_ = nullptr;
  return true;
}

void EvtLogFile::ReleaseFile() {
  if (auto* file = dynamic_cast<EvtFileImage*>(image_.get())) file->Release();
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
  result.offset = end_;
  ++held_;
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

std::vector<EvtRecord> EvtLogFile::Records() const {
  std::vector<EvtRecord> records;
  ScanEvtFile(*image_, [&records](EvtRecord&& record) { records.push_back(std::move(record)); });
  return records;
}

uint32_t EvtLogFile::FreeBytes() const {
  const EvtRing ring = Ring();
  const uint32_t used = (oldest_ == 0 ? 0 : ring.Distance(start_, end_)) + kEvtEofSize;
  return ring.Capacity() > used ? ring.Capacity() - used : 0;
}

bool EvtLogFile::MakeRoom(uint32_t length, uint32_t timeWritten, uint32_t* overwritten) {
  // Below the maximum size the file grows instead of wrapping: the record and
  // the end-of-file record after it must fit before the end of the file.
  while (CanGrow() && uint64_t{end_} + length + kEvtEofSize > FileSize()) {
    const uint32_t old = FileSize();
    image_->Resize(static_cast<uint32_t>(std::min<uint64_t>(maxSize_, uint64_t{old} + kEvtGrowStep)));
    NoteChange(old, FileSize() - old);
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
  return FileSize() < maxSize_ && (oldest_ == 0 || start_ <= end_);
}

bool EvtLogFile::MayOverwriteOldest(uint32_t timeWritten) const {
  if (retention_ == 0) return true;
  if (retention_ == kEvtRetainForever) return false;
  const auto oldest = Ring().Load<EVENTLOGRECORD>(*image_, start_);
  return timeWritten >= oldest.TimeWritten && timeWritten - oldest.TimeWritten >= retention_;
}

void EvtLogFile::DropOldest() {
  const EvtRing ring = Ring();
  start_ = ring.Advance(start_, ring.Load<uint32_t>(*image_, start_));
  --held_;
  // Numbers may have gaps in a log rebuilt from a damaged file.
  oldest_ = start_ == end_ ? 0 : ring.Load<EVENTLOGRECORD>(*image_, start_).RecordNumber;
}

void EvtLogFile::WriteAt(uint32_t offset, std::span<const uint8_t> bytes) {
  const EvtRing ring = Ring();
  const auto length = static_cast<uint32_t>(bytes.size());
  if (ring.Crosses(offset, length)) {
    flags_ |= ELF_LOGFILE_HEADER_WRAP;
    const uint32_t first = ring.FileSize() - offset;
    image_->Write(offset, bytes.first(first));
    image_->Write(kEvtHeaderSize, bytes.subspan(first));
    NoteChange(offset, first);
    NoteChange(kEvtHeaderSize, length - first);
  } else {
    image_->Write(offset, bytes);
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
  WriteHeader();
}

void EvtLogFile::WriteHeader() {
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
  image_->Write(0, AsBytes(h));
  headerChanged_ = true;
}

}  // namespace formats
