#include "platform/host/evt/evt_log_source.h"

#include <sys/stat.h>

#include "platform/api/errors.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/classic/classic_view.h"

namespace host::evt {

DWORD MapSessionPath(Computer& computer, std::u16string_view path, std::string* linuxPath) {
  return EventLogOf(computer).MapComputerPath(path, linuxPath);
}

DWORD OpenLogSource(EVT_HANDLE session, std::u16string_view path, bool isChannel, LogSource* out) {
  DWORD error = 0;
  out->computer = SessionComputer(session, &error);
  if (!out->computer) return error;
  if (isChannel) {
    out->channel = EventLogOf(*out->computer).FindChannel(path);
    if (!out->channel) return ERROR_EVT_CHANNEL_NOT_FOUND;
    out->log = out->channel->Log();
    out->file = out->channel->backingFile;
    return 0;
  }
  if (DWORD e = MapSessionPath(*out->computer, path, &out->file)) return e;
  struct stat info {};
  if (stat(out->file.c_str(), &info) != 0) return ERROR_FILE_NOT_FOUND;
  if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
  out->log = std::make_shared<EventRecordLog>();
  // An .evtx file is read a chunk at a time as the reader goes.
  out->log->file = EvtxFileRecords::Open(out->file);
  if (out->log->file) return 0;
  // A classic .evt file is read too, each record as an event.
  std::vector<uint8_t> bytes;
  if (!formats::ReadFileBytes(out->file, &bytes)) return ERROR_READ_FAULT;
  formats::EvtFile classic = formats::ReadEvtFile(bytes);
  if (!classic.headerValid) return ERROR_EVENTLOG_FILE_CORRUPT;
  for (const auto& d : classic.diagnostics) out->log->readDiagnostics.push_back(d.Text());
  out->log->readSkipped = classic.skipped;
  for (const auto& r : classic.records) {
    auto event = EventOfClassicRecord(r.View().Fields());
    out->log->records.push_back(std::make_shared<const formats::EvtxRecord>(std::move(event)));
  }
  return 0;
}

}  // namespace host::evt
