#include "task/log_statistics.h"

#include <memory>
#include <vector>

#include "base/com/method_boundary.h"
#include "base/error_report.h"
#include "base/trace.h"
#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

constexpr DWORD kBufferSize = 65535;
constexpr DWORD kReadFirst = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kReadAt = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;

struct LogCloser {
  void operator()(HANDLE log) const { CloseEventLog(log); }
};
using LogHandle = std::unique_ptr<void, LogCloser>;

// The first record of the buffer after a successful read.
const EVENTLOGRECORD& FirstRecord(const std::vector<DWORD>& buffer) {
  return *reinterpret_cast<const EVENTLOGRECORD*>(buffer.data());
}

bool Read(HANDLE log, DWORD flags, DWORD offset, std::vector<DWORD>& buffer) {
  DWORD read = 0, needed = 0;
  return ReadEventLogW(log, flags, offset, buffer.data(), kBufferSize, &read, &needed) != FALSE;
}

// Steps 5 to 8 on the open log.
HRESULT ReadStatistics(HANDLE log, const std::u16string& logName, LONG* oldestRecordDate, LONG* oldestEventId,
                       LONG* newestRecordDate, LONG* newestEventId, VARIANT_BOOL* eventLogFull) {
  Trace(30, u"allocating buffer...");
  std::vector<DWORD> buffer((kBufferSize + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  Trace(30, u"reading first record...");
  if (!Read(log, kReadFirst, 0, buffer)) {
    DWORD e = GetLastError();
    if (e == ERROR_HANDLE_EOF)
      return ReportTaskError(E_FAIL, logName + u" event log is empty, most likely settings are not correct");
    return ReportWin32Error(E_FAIL, e, logName + u" event log read failure.");
  }
  *oldestRecordDate = static_cast<LONG>(FirstRecord(buffer).TimeWritten);
  *oldestEventId = static_cast<LONG>(FirstRecord(buffer).EventID);
  DWORD oldestNumber = FirstRecord(buffer).RecordNumber;

  Trace(30, u"getting number of records...");
  DWORD count = 0;
  if (!GetNumberOfEventLogRecords(log, &count))
    return ReportWin32Error(E_FAIL, GetLastError(), u"Cannot determine the number of event log records.");

  Trace(30, u"reading last record...");
  if (!Read(log, kReadAt, oldestNumber + count - 1, buffer))
    return ReportWin32Error(E_FAIL, GetLastError(), u"Failed to read last event log record.");
  *newestRecordDate = static_cast<LONG>(FirstRecord(buffer).TimeWritten);
  *newestEventId = static_cast<LONG>(FirstRecord(buffer).EventID);

  Trace(30, u"getting event log info...");
  EVENTLOG_FULL_INFORMATION full{};
  DWORD needed = 0;
  if (!GetEventLogInformation(log, EVENTLOG_FULL_INFO, &full, sizeof full, &needed))
    return ReportWin32Error(E_FAIL, GetLastError(), u"Failed to obtain event log status.");
  *eventLogFull = full.dwFull != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

}  // namespace

HRESULT GetEventLogStatistics(const std::u16string& logName, BSTR dcName, LONG* oldestRecordDate, LONG* oldestEventId,
                              LONG* newestRecordDate, LONG* newestEventId, VARIANT_BOOL* eventLogFull) {
  Trace(30, u"GetEventLogStatistics - started for %s", com::BstrText(dcName));
  if (!dcName || !oldestRecordDate || !oldestEventId || !newestRecordDate || !newestEventId || !eventLogFull)
    return ReportTaskError(E_FAIL, u"Internal error.");
  LogHandle log(OpenEventLogW(plat::U(dcName), logName.c_str()));
  if (!log) return ReportWin32Error(E_FAIL, GetLastError(), u"Failed to open " + logName + u" event log.");
  HRESULT hr = ReadStatistics(log.get(), logName, oldestRecordDate, oldestEventId, newestRecordDate, newestEventId,
                              eventLogFull);
  if (hr == S_OK) Trace(30, u"GetEventLogStatistics - finished");
  return hr;
}

}  // namespace cmr
