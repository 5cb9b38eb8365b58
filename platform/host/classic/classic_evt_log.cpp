#include "platform/host/classic/classic_evt_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "platform/formats/evt_layout.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/files/file_pieces.h"

namespace host {
namespace {

bool FileState(const std::string& path, off_t* size, long long* time) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  *size = info.st_size;
  *time = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return true;
}

// The image with other limits in its header, for EvtLogFile::FromImage.
std::vector<uint8_t> WithLimits(std::vector<uint8_t> image, DWORD maxSize, DWORD retention) {
  auto header = formats::LoadAt<formats::ELF_LOGFILE_HEADER>(image, 0);
  header.MaxSize = maxSize;
  header.Retention = retention;
  formats::StoreAt(std::span<uint8_t>(image), 0, header);
  return image;
}

}  // namespace

EvtClassicLog::EvtClassicLog(std::string path, DWORD maxSize, DWORD retention)
    : path_(std::move(path)), maxSize_(maxSize), retention_(retention), file_(maxSize, retention) {
  Load();
}

void EvtClassicLog::Adopt(formats::EvtLogFile file) {
  file_ = std::move(file);
  auto records = file_.Records();
  records_.assign(std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
}

void EvtClassicLog::NoteFileState() {
  if (!FileState(path_, &seenSize_, &seenTime_)) seenSize_ = seenTime_ = -1;
}

void EvtClassicLog::Load() {
  loadError_ = 0;
  NoteFileState();
  if (path_.empty() || seenSize_ < 0) return;  // a new log: the file is made by the first write
  std::vector<uint8_t> bytes;
  if (!formats::ReadFileBytes(path_, &bytes)) {
    loadError_ = ERROR_ACCESS_DENIED;
    return;
  }
  const uint32_t oldCurrent = file_.CurrentRecordNumber();
  auto image = formats::EvtLogFile::FromImage(std::move(bytes));
  if (!image) {
    loadError_ = ERROR_EVENTLOG_FILE_CORRUPT;
    return;
  }
  Adopt(std::move(*image));
  if (file_.CurrentRecordNumber() < oldCurrent) ++generation_;
  if (file_.MaxSize() != maxSize_ || file_.Retention() != retention_) ApplyLimits();
}

void EvtClassicLog::Refresh() {
  off_t size = -1;
  long long time = -1;
  if (path_.empty() || !FileState(path_, &size, &time)) return;
  if (size != seenSize_ || time != seenTime_ || !SameHeaderOnDisk()) Load();
}

bool EvtClassicLog::SameHeaderOnDisk() const {
  // The header is rewritten after every record, so a file written by someone
  // else within the time stamps' granularity still shows the change here.
  uint8_t header[formats::kEvtHeaderSize];
  int fd = open(path_.c_str(), O_RDONLY);
  if (fd < 0) return true;
  const bool read = ::read(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
  close(fd);
  const auto& image = file_.Image();
  return !read || (image.size() >= sizeof header && std::equal(header, header + sizeof header, image.begin()));
}

void EvtClassicLog::SetLimits(DWORD maxSize, DWORD retention) {
  if (maxSize == maxSize_ && retention == retention_ && file_.MaxSize() >= maxSize) return;
  maxSize_ = maxSize;
  retention_ = retention;
  ApplyLimits();
}

void EvtClassicLog::ApplyLimits() {
  if (loadError_) return;
  // A maximum below the file's present size takes effect when the log is cleared.
  if (auto file = formats::EvtLogFile::FromImage(WithLimits(file_.Image(), maxSize_, retention_)))
    Adopt(std::move(*file));
}

DWORD EvtClassicLog::Save() {
  if (path_.empty()) return 0;
  // Written over in place, as the service writes its log files: only the
  // pieces that changed, the header last.
  std::vector<formats::EvtFilePiece> pieces = file_.TakeChanges();
  if (rewriteWhole_) pieces.assign(1, formats::EvtFilePiece{0, static_cast<uint32_t>(file_.Image().size())});
  const std::span<const uint8_t> image(file_.Image());
  PieceWriter file(path_);
  for (const formats::EvtFilePiece& piece : pieces) file.Write(piece.offset, image.subspan(piece.offset, piece.length));
  file.Truncate(image.size());
  const bool written = file.Close();
  NoteFileState();
  rewriteWhole_ = false;
  return written ? 0 : ERROR_WRITE_FAULT;
}

formats::EvtAppendResult EvtClassicLog::Append(std::span<const uint8_t> record, DWORD* saveError) {
  *saveError = 0;
  formats::EvtAppendResult result = file_.Append(record);
  if (result.status != formats::EvtAppendStatus::Written) {
    Save();  // keeps the log-full flag
    return result;
  }
  if ((*saveError = Save()) != 0) {
    // The file holds the records up to the last whole one; the log is what
    // the file holds, and the next write puts the whole file right.
    const uint64_t generation = generation_;
    Load();
    generation_ = generation;  // not cleared: readers go on
    rewriteWhole_ = true;
    return result;
  }
  for (uint32_t i = 0; i < result.overwritten && !records_.empty(); ++i) records_.pop_front();
  formats::EvtRecord added;
  added.bytes.assign(record.begin(), record.end());
  auto header = formats::LoadAt<EVENTLOGRECORD>(added.bytes, 0);
  header.RecordNumber = result.recordNumber;
  formats::StoreAt(std::span<uint8_t>(added.bytes), 0, header);
  records_.push_back(std::move(added));
  return result;
}

DWORD EvtClassicLog::WriteBackup(const std::string& linuxPath) {
  return formats::WriteFileBytes(linuxPath, file_.Image()) ? 0 : ERROR_WRITE_FAULT;
}

DWORD EvtClassicLog::Clear() {
  file_ = formats::EvtLogFile(maxSize_, retention_);
  records_.clear();
  ++generation_;
  return Save();
}

}  // namespace host
