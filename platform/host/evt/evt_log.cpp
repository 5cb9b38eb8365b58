// EvtOpenLog, EvtGetLogInfo and EvtExportLog.
#include <sys/stat.h>

#include <vector>

#include "platform/api/kernel.h"
#include "platform/host/evt/evt_log_source.h"
#include "platform/host/evt/evt_query_report.h"
#include "platform/host/evt/evt_variant_buffer.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/clock.h"

using namespace host::evt;
using formats::EvtxValue;

namespace {

bool IsAllEvents(LPCWSTR query) { return !query || !*query || std::u16string_view(query) == u"*"; }

ULONGLONG FileTimeOf(const struct timespec& t) {
  return host::kUnixEpochAsFileTime + static_cast<ULONGLONG>(t.tv_sec) * 10000000ULL +
         static_cast<ULONGLONG>(t.tv_nsec) / 100;
}

EvtxValue LogInfoValue(host::EventChannel* channel, const host::EventRecordLog& log, const std::string& file, int id) {
  struct stat info {};
  bool hasFile = !file.empty() && stat(file.c_str(), &info) == 0;
  switch (id) {
    case EvtLogCreationTime:
    case EvtLogLastAccessTime:
    case EvtLogLastWriteTime:
      if (!hasFile) return EvtxValue::FileTime(host::NowFileTime());
      return EvtxValue::FileTime(FileTimeOf(id == EvtLogLastAccessTime ? info.st_atim : info.st_mtim));
    case EvtLogFileSize:
      return EvtxValue::Integer(EvtVarTypeUInt64, channel ? channel->FileSize() : static_cast<ULONGLONG>(info.st_size));
    case EvtLogAttributes: return EvtxValue::Integer(EvtVarTypeUInt32, FILE_ATTRIBUTE_ARCHIVE);
    case EvtLogNumberOfLogRecords: return EvtxValue::Integer(EvtVarTypeUInt64, log.size());
    case EvtLogOldestRecordNumber: return EvtxValue::Integer(EvtVarTypeUInt64, log.oldestRecordId());
    case EvtLogFull:
      return EvtxValue::Boolean(channel && channel->config.retention && channel->FileSize() >= channel->config.maxSize);
    default: return EvtxValue::Null();
  }
}

}  // namespace

EVT_HANDLE WINAPI EvtOpenLog(EVT_HANDLE session, LPCWSTR path, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenLog")) return FailHandle(e);
  if (!path || (flags != EvtOpenChannelPath && flags != EvtOpenFilePath)) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  LogSource source;
  if (DWORD e = OpenLogSource(session, path, flags == EvtOpenChannelPath, &source)) return FailHandle(e);
  auto log = std::make_shared<LogObject>();
  log->server = session ? As<Session>(session)->server : std::u16string();
  if (source.channel) {
    log->channel = source.channel->config.name;
  } else {
    log->fileLog = source.log;
  }
  log->file = source.file;
  return Add(log);
}

BOOL WINAPI EvtGetLogInfo(EVT_HANDLE log, int propertyId, DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtGetLogInfo")) return Fail(e);
  if (!bufferUsed || propertyId < EvtLogCreationTime || propertyId > EvtLogFull) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto object = As<LogObject>(log);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  EvtxValue value;
  if (object->fileLog) {
    value = LogInfoValue(nullptr, *object->fileLog, object->file, propertyId);
  } else {
    host::Computer* computer = host::Host::Get().Find(object->server);
    if (!computer || !computer->Reachable()) return Fail(RPC_S_SERVER_UNAVAILABLE);
    host::EventChannel* channel = host::EventLogOf(*computer).FindChannel(object->channel);
    if (!channel) return Fail(ERROR_EVT_CHANNEL_NOT_FOUND);
    value = LogInfoValue(channel, *channel->Log(), channel->backingFile, propertyId);
  }
  if (DWORD e = host::WriteVariants({&value, 1}, bufferSize, buffer, bufferUsed)) return Fail(e);
  return TRUE;
}

BOOL WINAPI EvtExportLog(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, LPCWSTR targetFilePath, DWORD flags) {
  KeepExportReport({});
  if (DWORD e = HOST_FAULT("EvtExportLog")) return Fail(e);
  DWORD kind = flags & (EvtExportLogChannelPath | EvtExportLogFilePath);
  if (!path || !targetFilePath || !*targetFilePath ||
      (kind != EvtExportLogChannelPath && kind != EvtExportLogFilePath) ||
      (flags & ~static_cast<DWORD>(EvtExportLogChannelPath | EvtExportLogFilePath | EvtExportLogTolerateQueryErrors))) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!IsAllEvents(query)) return Fail(ERROR_EVT_INVALID_QUERY);
  host::Lock lock;
  LogSource source;
  if (DWORD e = OpenLogSource(session, path, kind == EvtExportLogChannelPath, &source)) return Fail(e);
  std::string target;
  if (DWORD e = MapSessionPath(*source.computer, targetFilePath, &target)) return Fail(e);
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) return Fail(ERROR_FILE_EXISTS);
  std::string error;
  const bool written = source.log->writeTo(target, error);
  KeepExportReport(ReportOfLog(*source.log));
  if (!written) {
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    return Fail(stat(folder.c_str(), &info) != 0 ? ERROR_PATH_NOT_FOUND : ERROR_WRITE_FAULT);
  }
  return TRUE;
}
