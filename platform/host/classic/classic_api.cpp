// Opening, closing, counting, clearing and backing up classic event logs
// (advapi32). Reading is in classic_read.cpp.
#include <sys/stat.h>

#include <cstring>

#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/classic/classic_readers.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/last_error.h"
#include "platform/host/net/reachable.h"

namespace host {

HandleTable<ClassicReader>& ClassicReaders() {
  static auto* table = new HandleTable<ClassicReader>(0xC1A0000);
  return *table;
}

}  // namespace host

namespace {

constexpr DWORD kErrorInvalidLevel = 124;

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

using host::Fail;

// The computer a server name reaches; a null or empty name is the local one.
host::Computer* ServerComputer(LPCWSTR server) {
  if (!server || !*server) return &host::Host::Get().Local();
  return host::ReachableComputer(server);
}

HANDLE AddReader(std::shared_ptr<host::ClassicLog> log, const host::Computer& computer) {
  auto reader = std::make_unique<host::ClassicReader>();
  reader->generation = log->Generation();
  reader->log = std::move(log);
  reader->computer = computer.Name();
  return host::ClassicReaders().Add(std::move(reader));
}

// Maps a file name of the handle's computer; 0 or the error.
DWORD MapReaderPath(const host::ClassicReader& reader, LPCWSTR path, std::string* linuxPath) {
  if (!path || !*path) return ERROR_INVALID_PARAMETER;
  host::Computer* computer = host::Host::Get().Find(reader.computer);
  if (!computer) return RPC_S_SERVER_UNAVAILABLE;
  return host::ClassicLogsOf(*computer).MapComputerPath(path, linuxPath);
}

// Writes a copy of the handle's log to a file that must not exist yet.
DWORD WriteBackupFile(const host::ClassicReader& reader, LPCWSTR path) {
  std::string target;
  if (DWORD e = MapReaderPath(reader, path, &target)) return e;
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) return ERROR_ALREADY_EXISTS;
  return reader.log->WriteBackup(target);
}

// The frame of a call on an open handle: the fault check, the host lock and
// the handle; `body` returns 0 or the error to fail with.
template <class Body>
BOOL OnReader(host::CallSite& call, HANDLE handle, Body body) {
  if (DWORD e = host::FaultAt(call)) return Fail(e);
  host::Lock lock;
  host::ClassicReader* reader = host::ClassicReaders().Find(handle);
  if (!reader) return Fail(ERROR_INVALID_HANDLE);
  if (DWORD e = body(*reader)) return Fail(e);
  return TRUE;
}

// GetNumberOfEventLogRecords and GetOldestEventLogRecord: one number of the log.
BOOL AnswerNumber(host::CallSite& call, HANDLE handle, PDWORD out, uint32_t (host::ClassicLog::*number)()) {
  return OnReader(call, handle, [&](host::ClassicReader& reader) -> DWORD {
    if (!out) return ERROR_INVALID_PARAMETER;
    *out = (reader.log.get()->*number)();
    return 0;
  });
}

}  // namespace

HANDLE WINAPI OpenEventLogW(LPCWSTR lpUNCServerName, LPCWSTR lpSourceName) {
  if (DWORD e = HOST_FAULT("OpenEventLogW")) return FailHandle(e);
  if (!lpSourceName) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  host::Computer* computer = ServerComputer(lpUNCServerName);
  if (!computer) return FailHandle(RPC_S_SERVER_UNAVAILABLE);
  auto& service = host::ClassicLogsOf(*computer);
  std::u16string name = lpSourceName;
  DWORD error = 0;
  std::shared_ptr<host::ClassicLog> log = service.Find(name, &error);
  if (!log && !error) {
    // A log that does not exist opens the Application log.
    name = u"Application";
    log = service.Find(name, &error);
    if (!log && !error) error = ERROR_FILE_NOT_FOUND;
  }
  if (!log) return FailHandle(error);
  if (service.AccessDenied(name)) return FailHandle(ERROR_ACCESS_DENIED);
  return AddReader(std::move(log), *computer);
}

HANDLE WINAPI OpenBackupEventLogW(LPCWSTR lpUNCServerName, LPCWSTR lpFileName) {
  if (DWORD e = HOST_FAULT("OpenBackupEventLogW")) return FailHandle(e);
  if (!lpFileName || !*lpFileName) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  host::Computer* computer = ServerComputer(lpUNCServerName);
  if (!computer) return FailHandle(RPC_S_SERVER_UNAVAILABLE);
  std::string path;
  if (DWORD e = host::ClassicLogsOf(*computer).MapComputerPath(lpFileName, &path)) return FailHandle(e);
  std::unique_ptr<host::ClassicLog> log;
  if (DWORD e = host::ReadClassicBackupFile(path, &log)) return FailHandle(e);
  return AddReader(std::move(log), *computer);
}

BOOL WINAPI CloseEventLog(HANDLE hEventLog) {
  if (DWORD e = HOST_FAULT("CloseEventLog")) return Fail(e);
  host::Lock lock;
  host::ClassicReader* reader = host::ClassicReaders().Find(hEventLog);
  if (!reader) return Fail(ERROR_INVALID_HANDLE);
  reader->log->CloseFile();  // other readers open it again when they read
  host::ClassicReaders().Remove(hEventLog);
  return TRUE;
}

BOOL WINAPI GetNumberOfEventLogRecords(HANDLE hEventLog, PDWORD NumberOfRecords) {
  return AnswerNumber(HOST_CALL_SITE("GetNumberOfEventLogRecords"), hEventLog, NumberOfRecords,
                      &host::ClassicLog::Count);
}

BOOL WINAPI GetOldestEventLogRecord(HANDLE hEventLog, PDWORD OldestRecord) {
  return AnswerNumber(HOST_CALL_SITE("GetOldestEventLogRecord"), hEventLog, OldestRecord,
                      &host::ClassicLog::OldestNumber);
}

BOOL WINAPI GetEventLogInformation(HANDLE hEventLog, DWORD dwInfoLevel, LPVOID lpBuffer, DWORD cbBufSize,
                                   LPDWORD pcbBytesNeeded) {
  return OnReader(HOST_CALL_SITE("GetEventLogInformation"), hEventLog, [&](host::ClassicReader& reader) -> DWORD {
    if (dwInfoLevel != EVENTLOG_FULL_INFO) return kErrorInvalidLevel;
    if (!pcbBytesNeeded) return ERROR_INVALID_PARAMETER;
    *pcbBytesNeeded = sizeof(EVENTLOG_FULL_INFORMATION);
    if (cbBufSize < sizeof(EVENTLOG_FULL_INFORMATION)) return ERROR_INSUFFICIENT_BUFFER;
    if (!lpBuffer) return ERROR_INVALID_PARAMETER;
    EVENTLOG_FULL_INFORMATION info{reader.log->Full() ? 1u : 0u};
    std::memcpy(lpBuffer, &info, sizeof info);
    return 0;
  });
}

BOOL WINAPI ClearEventLogW(HANDLE hEventLog, LPCWSTR lpBackupFileName) {
  return OnReader(HOST_CALL_SITE("ClearEventLogW"), hEventLog, [&](host::ClassicReader& reader) -> DWORD {
    if (lpBackupFileName && *lpBackupFileName) {
      if (DWORD e = WriteBackupFile(reader, lpBackupFileName)) return e;
    }
    return reader.log->Clear();
  });
}

BOOL WINAPI BackupEventLogW(HANDLE hEventLog, LPCWSTR lpBackupFileName) {
  return OnReader(HOST_CALL_SITE("BackupEventLogW"), hEventLog,
                  [&](host::ClassicReader& reader) { return WriteBackupFile(reader, lpBackupFileName); });
}
