// The classic event-log interface (advapi32): the record layout that
// ReadEventLogW hands out, the read flags, the event types and the functions.
// On Linux the functions are implemented by the host's event-log service over
// .evt files and in-memory logs (platform/host/).
#pragma once

#include "platform/api/types.h"

#ifdef _WIN32
#include "platform/mingw/eventlog.h"
#else

// Read flags of ReadEventLogW: one of SEQUENTIAL / SEEK, one of FORWARDS / BACKWARDS.
#define EVENTLOG_SEQUENTIAL_READ 0x0001
#define EVENTLOG_SEEK_READ 0x0002
#define EVENTLOG_FORWARDS_READ 0x0004
#define EVENTLOG_BACKWARDS_READ 0x0008

// Event types (EVENTLOGRECORD::EventType).
#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004
#define EVENTLOG_AUDIT_SUCCESS 0x0008
#define EVENTLOG_AUDIT_FAILURE 0x0010

// Information level of GetEventLogInformation.
#define EVENTLOG_FULL_INFO 0

// The fixed part of one classic event record, 0x38 bytes. It is followed by
// the source name and the computer name (NUL-terminated UTF-16), padding to a
// 4-byte boundary, the SID, the insertion strings, the data, padding, and a
// copy of Length in the last four bytes.
struct EVENTLOGRECORD {
  DWORD Length;    // size of the whole record including the closing length
  DWORD Reserved;  // 'LfLe' (0x654c664c)
  DWORD RecordNumber;
  DWORD TimeGenerated;  // seconds since 1970-01-01 00:00:00 UTC
  DWORD TimeWritten;
  DWORD EventID;
  WORD EventType;
  WORD NumStrings;
  WORD EventCategory;
  WORD ReservedFlags;
  DWORD ClosingRecordNumber;
  DWORD StringOffset;  // offsets are from the start of the record
  DWORD UserSidLength;
  DWORD UserSidOffset;
  DWORD DataLength;
  DWORD DataOffset;
};
typedef EVENTLOGRECORD* PEVENTLOGRECORD;
static_assert(sizeof(EVENTLOGRECORD) == 0x38, "EVENTLOGRECORD is 0x38 bytes");

struct EVENTLOG_FULL_INFORMATION {
  DWORD dwFull;  // non-zero when the log is full and cannot take more records
};
typedef EVENTLOG_FULL_INFORMATION* LPEVENTLOG_FULL_INFORMATION;

HANDLE WINAPI OpenEventLogW(LPCWSTR lpUNCServerName, LPCWSTR lpSourceName);
HANDLE WINAPI OpenBackupEventLogW(LPCWSTR lpUNCServerName, LPCWSTR lpFileName);
BOOL WINAPI ReadEventLogW(HANDLE hEventLog, DWORD dwReadFlags, DWORD dwRecordOffset, LPVOID lpBuffer,
                          DWORD nNumberOfBytesToRead, DWORD* pnBytesRead, DWORD* pnMinNumberOfBytesNeeded);
BOOL WINAPI GetNumberOfEventLogRecords(HANDLE hEventLog, PDWORD NumberOfRecords);
BOOL WINAPI GetOldestEventLogRecord(HANDLE hEventLog, PDWORD OldestRecord);
BOOL WINAPI GetEventLogInformation(HANDLE hEventLog, DWORD dwInfoLevel, LPVOID lpBuffer, DWORD cbBufSize,
                                   LPDWORD pcbBytesNeeded);
BOOL WINAPI CloseEventLog(HANDLE hEventLog);
BOOL WINAPI ClearEventLogW(HANDLE hEventLog, LPCWSTR lpBackupFileName);
BOOL WINAPI BackupEventLogW(HANDLE hEventLog, LPCWSTR lpBackupFileName);

#endif  // _WIN32
