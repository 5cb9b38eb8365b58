// ReadEventLogW: sequential and seek reads, forwards and backwards, with the
// buffer protocol of the classic interface. A reader's position is the
// number of the last record it was given; sequential reads go on from the
// record after (or before) it.
#include <algorithm>
#include <cstring>

#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/host/classic/classic_readers.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"
#include "platform/host/kernel/last_error.h"

namespace {

// The service fills at most this many bytes per call, whatever the buffer
// (a single record larger than that is still handed out whole).
constexpr DWORD kMaxReadBytes = 0x7FFFF;

using host::Fail;

// The index of the first record to hand out, or the error of the read.
DWORD StartIndex(host::ClassicReader& reader, bool seek, bool forwards, DWORD recordNumber, size_t* index) {
  host::ClassicLog& log = *reader.log;
  const size_t size = log.Size();
  if (seek) {
    *index = log.LowerBound(recordNumber);
    return *index < size && log.NumberAt(*index) == recordNumber ? 0 : ERROR_INVALID_PARAMETER;
  }
  if (forwards) {
    if (!reader.positioned) {
      *index = 0;
    } else {
      // The record after the position rolled out: the reader lost its place.
      if (size > 0 && reader.last + 1 < log.NumberAt(0)) return ERROR_EVENTLOG_FILE_CHANGED;
      *index = log.LowerBound(reader.last + 1);
    }
    return *index < size ? 0 : ERROR_HANDLE_EOF;
  }
  const size_t before = reader.positioned ? log.LowerBound(reader.last) : size;
  if (before == 0) return ERROR_HANDLE_EOF;
  *index = before - 1;
  return 0;
}

}  // namespace

BOOL WINAPI ReadEventLogW(HANDLE hEventLog, DWORD dwReadFlags, DWORD dwRecordOffset, LPVOID lpBuffer,
                          DWORD nNumberOfBytesToRead, DWORD* pnBytesRead, DWORD* pnMinNumberOfBytesNeeded) {
  if (DWORD e = HOST_FAULT("ReadEventLogW")) return Fail(e);
  if (!pnBytesRead || !pnMinNumberOfBytesNeeded || !lpBuffer) return Fail(ERROR_INVALID_PARAMETER);
  *pnBytesRead = 0;
  *pnMinNumberOfBytesNeeded = 0;
  const bool sequential = dwReadFlags & EVENTLOG_SEQUENTIAL_READ, seek = dwReadFlags & EVENTLOG_SEEK_READ;
  const bool forwards = dwReadFlags & EVENTLOG_FORWARDS_READ, backwards = dwReadFlags & EVENTLOG_BACKWARDS_READ;
  if (sequential == seek || forwards == backwards) return Fail(ERROR_INVALID_PARAMETER);

  host::Lock lock;
  host::ClassicReader* reader = host::ClassicReaders().Find(hEventLog);
  if (!reader) return Fail(ERROR_INVALID_HANDLE);
  host::ClassicLog& log = *reader->log;
  // A log cleared since it was opened cannot be read through this handle.
  if (reader->generation != log.Generation()) return Fail(ERROR_EVENTLOG_FILE_CHANGED);
  size_t index = 0;
  if (DWORD e = StartIndex(*reader, seek, forwards, dwRecordOffset, &index)) return Fail(e);

  auto* out = static_cast<uint8_t*>(lpBuffer);
  const DWORD limit = std::min(nNumberOfBytesToRead, kMaxReadBytes);
  DWORD used = 0;
  uint32_t lastNumber = 0;
  for (size_t i = index; i < log.Size();) {
    std::span<const uint8_t> record = log.At(i);
    if (record.empty()) break;  // the log turned out to hold fewer records
    if (used + record.size() > (used == 0 ? nNumberOfBytesToRead : limit)) {
      if (used == 0) *pnMinNumberOfBytesNeeded = static_cast<DWORD>(record.size());
      break;
    }
    std::memcpy(out + used, record.data(), record.size());
    used += static_cast<DWORD>(record.size());
    lastNumber = log.NumberAt(i);
    if (!forwards && i == 0) break;
    i = forwards ? i + 1 : i - 1;
  }
  if (used == 0) return Fail(*pnMinNumberOfBytesNeeded ? ERROR_INSUFFICIENT_BUFFER : ERROR_HANDLE_EOF);
  *pnBytesRead = used;
  reader->positioned = true;
  reader->last = lastNumber;
  return TRUE;
}
