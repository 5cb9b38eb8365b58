// Appends and clears of a channel whose events live in its .evtx file: the
// file is changed in place (formats::PlanEvtxAppend), one WriteFile per
// piece, and read again from its chunk headers afterwards, so that readers
// see what the file holds also when a write failed.
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/api/errors.h"
#include "platform/formats/evtx_log_update.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/files/file_pieces.h"

namespace host {
namespace {

// Chunks a log file of the channel's maximum size holds (at least one).
size_t MaxChunks(const ChannelConfig& config) {
  const ULONGLONG size = std::max<ULONGLONG>(config.maxSize, formats::kEvtxFileHeaderSize + formats::kEvtxChunkSize);
  return static_cast<size_t>((size - formats::kEvtxFileHeaderSize) / formats::kEvtxChunkSize);
}

// A reader of the file as it is now; a missing file reads as an empty one.
DWORD OpenReader(const std::string& path, std::unique_ptr<formats::EvtxReader>& reader) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    reader = std::make_unique<formats::EvtxReader>(std::vector<uint8_t>{});
    return 0;
  }
  std::string error;
  return formats::EvtxReader::Open(path, reader, error) ? 0 : ERROR_ACCESS_DENIED;
}

bool WriteUpdate(const std::string& path, const formats::EvtxLogUpdate& update) {
  PieceWriter file(path);
  if (update.truncateTo != UINT64_MAX) file.Truncate(update.truncateTo);
  for (const formats::EvtxFilePiece& piece : update.pieces) file.Write(piece.offset, piece.bytes);
  return file.Close();
}

}  // namespace

DWORD EventLogService::AppendToFile(EventChannel& channel, const formats::EvtxRecord& record, bool archived) {
  channel.Log();
  std::unique_ptr<formats::EvtxReader> reader;
  if (DWORD e = OpenReader(channel.backingFile, reader)) return e;
  formats::EvtxLogUpdate update;
  std::string error;
  if (!formats::PlanEvtxAppend(*reader, record, MaxChunks(channel.config), update, error)) {
    // A file that is no log is left as it is.
    return reader->headerValid() || reader->fileSize() == 0 ? ERROR_WRITE_FAULT : ERROR_EVENTLOG_FILE_CORRUPT;
  }
  reader.reset();
  if (update.overwritten && channel.config.retention) {
    if (!channel.config.autoBackup || archived) return ERROR_LOG_FILE_FULL;
    if (DWORD e = Archive(channel)) return e;
    return AppendToFile(channel, record, true);
  }
  const bool written = WriteUpdate(channel.backingFile, update);
  channel.ReopenFile(written ? 1 : 0);
  if (!written) return ERROR_WRITE_FAULT;
  channel.nextRecordId = std::max(channel.nextRecordId, record.recordId + 1);
  return 0;
}

DWORD EventLogService::ClearFile(EventChannel& channel) {
  auto& log = *channel.Log();
  const uint64_t held = log.size();
  const bool written = WriteUpdate(channel.backingFile, formats::PlanEvtxClear());
  if (written) {
    log.file.reset();
    log.removed += held;
    ++log.generation;
    channel.nextRecordId = 1;
  }
  channel.ReopenFile(0);
  return written ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace host
