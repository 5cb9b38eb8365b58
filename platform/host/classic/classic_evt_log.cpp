#include "platform/host/classic/classic_evt_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

}  // namespace

EvtClassicLog::EvtClassicLog(std::string path, DWORD maxSize, DWORD retention)
    : path_(std::move(path)), maxSize_(maxSize), retention_(retention), file_(maxSize, retention) {
  Bind();
  Load();
}

void EvtClassicLog::Adopt(formats::EvtLogFile file) {
  file_ = std::move(file);
  Reindex();
}

void EvtClassicLog::Reindex() {
  index_ = formats::EvtRecordIndex();
  Bind();
  index_.Follow(file_.StartOffset(), file_.RecordCount());
}

void EvtClassicLog::Bind() { index_.Use(file_.Bytes(), formats::EvtRing(file_.FileSize())); }

std::span<const uint8_t> EvtClassicLog::At(size_t index) {
  const formats::EvtRecordSpot spot = index_.At(index);
  record_.resize(spot.length);
  formats::EvtRing(file_.FileSize()).Read(file_.Bytes(), spot.offset, record_);
  return record_;
}

void EvtClassicLog::NoteFileState() {
  if (!FileState(path_, &seenSize_, &seenTime_)) seenSize_ = seenTime_ = -1;
}

void EvtClassicLog::Load() {
  loadError_ = 0;
  NoteFileState();
  if (path_.empty() || seenSize_ < 0) return;  // a new log: the file is made by the first write
  const uint32_t oldCurrent = file_.CurrentRecordNumber();
  std::string error;
  bool notLog = false;
  formats::EvtFile scan;
  auto file = formats::EvtLogFile::FromFile(path_, &error, &notLog, &scan);
  if (!file) {
    loadError_ = notLog ? ERROR_EVENTLOG_FILE_CORRUPT : ERROR_ACCESS_DENIED;
    return;
  }
  if (scan.Damaged()) KeepDamage(scan);
  Adopt(std::move(*file));
  if (file_.CurrentRecordNumber() < oldCurrent) ++generation_;
  if (file_.MaxSize() != maxSize_ || file_.Retention() != retention_) ApplyLimits();
  CloseFile();  // opened again by the first read
}

void EvtClassicLog::KeepDamage(const formats::EvtFile& scan) {
  diagnostics_.clear();
  for (const formats::EvtDiagnostic& d : scan.diagnostics) diagnostics_.push_back(d.Text());
  skipped_ = scan.skipped;
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
  if (!read || file_.FileSize() < sizeof header) return !read;
  uint8_t ours[sizeof header];
  file_.Bytes().Read(0, ours);
  return std::equal(header, header + sizeof header, ours);
}

void EvtClassicLog::SetLimits(DWORD maxSize, DWORD retention) {
  if (maxSize == maxSize_ && retention == retention_ && file_.MaxSize() >= maxSize) return;
  maxSize_ = maxSize;
  retention_ = retention;
  ApplyLimits();
}

void EvtClassicLog::ApplyLimits() {
  // A maximum below the file's present size takes effect when the log is cleared.
  if (!loadError_) file_.SetLimits(maxSize_, retention_);
}

DWORD EvtClassicLog::Save() {
  Bind();  // the file may have grown
  if (path_.empty()) return 0;
  // Written over in place, as the service writes its log files: only the
  // pieces that changed, the header last.
  const std::vector<formats::EvtFilePiece> pieces = file_.TakeChanges();
  PieceWriter out(path_);
  std::vector<uint8_t> bytes;
  for (const formats::EvtFilePiece& piece : pieces) {
    std::span<const uint8_t> piecebytes;
    if (file_.InMemory()) {
      piecebytes = std::span<const uint8_t>(file_.Image()).subspan(piece.offset, piece.length);
    } else {
      bytes.resize(piece.length);
      file_.Bytes().Read(piece.offset, bytes);
      piecebytes = bytes;
    }
    out.Write(piece.offset, piecebytes);
  }
  out.Truncate(file_.FileSize());
  bool written = out.Close();
  // From now on the log reads its file, holding only the changes to come.
  written = written && file_.Saved(path_, nullptr);
  Bind();
  NoteFileState();
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
    // the file holds (rebuilt when damaged, and then written whole by the
    // next write).
    const uint64_t generation = generation_;
    Load();
    generation_ = generation;  // not cleared: readers go on
    return result;
  }
  index_.DropOldest(result.overwritten, file_.StartOffset());
  index_.Follow(result.offset, 1);
  return result;
}

DWORD EvtClassicLog::WriteBackup(const std::string& linuxPath) {
  const formats::EvtSource& bytes = file_.Bytes();
  const auto read = [&bytes](uint64_t offset, std::span<uint8_t> block) {
    bytes.Read(static_cast<uint32_t>(offset), block);
  };
  const bool written = formats::WriteFileBytes(linuxPath, bytes.Size(), read);
  CloseFile();
  return written ? 0 : ERROR_WRITE_FAULT;
}

DWORD EvtClassicLog::Clear() {
  Adopt(formats::EvtLogFile(maxSize_, retention_));
  diagnostics_.clear();
  skipped_ = 0;
  ++generation_;
  return Save();
}

}  // namespace host
