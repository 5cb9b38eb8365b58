// Positioning the classic reader: a stored position, the newest record, the
// oldest record.
#include "base/trace.h"
#include "collect/nt_event_log.h"
#include "platform/api/kernel.h"

namespace cmr {

bool NTEventLog::RestartAtOldest(bool* found) {
  if (!Reopen() || !ReadLog(0)) return false;
  next_ = buffer_;
  *found = false;
  return true;
}

// After a seek to a record that is not in the log: reads forward from the
// oldest record to the first with a number at least `recordNumber`.
bool NTEventLog::ScanFor(DWORD recordNumber, DWORD timeWritten, bool* found) {
  if (!Reopen() || !ReadLog(0)) return false;
  next_ = buffer_;
  DWORD oldest = 0, count = 0;
  if (!GetOldestRecord(&oldest) || !GetNumberOfRecords(&count)) return false;
  for (;;) {
    EVENTLOGRECORD* record = nullptr;
    bool end = false;
    if (!GetNextRecord(&record, nullptr, true, &end)) return false;
    if (end) break;
    if (record->RecordNumber < recordNumber) continue;
    if (record->RecordNumber == recordNumber && record->TimeWritten == timeWritten) {
      *found = true;
      return true;
    }
    break;
  }
  return RestartAtOldest(found);
}

bool NTEventLog::Seek(DWORD recordNumber, DWORD timeWritten, bool* found) {
  *found = false;
  if (ReadLog(recordNumber)) {
    if (!end_) {
      auto* first = reinterpret_cast<EVENTLOGRECORD*>(buffer_);
      if (first->TimeWritten == timeWritten) {
        current_ = first;
        next_ = buffer_ + first->Length;
        *found = true;
        return true;
      }
      Trace(10, u"found %d, required %d", first->TimeWritten, timeWritten);
      return RestartAtOldest(found);
    }
    Trace(10, u"read log EOF");
    return recordNumber == 0 || RestartAtOldest(found);
  }
  const DWORD error = GetLastError();
  Trace(10, u"ReadLog to %d failed with error %d", recordNumber, error);
  if (error == ERROR_INVALID_PARAMETER) return ScanFor(recordNumber, timeWritten, found);
  if (error == ERROR_EVENTLOG_FILE_CHANGED) return RestartAtOldest(found);
  return false;
}

bool NTEventLog::SeekMostRecent() {
  if (next_) Reopen();
  if (!HasHandle()) {
    SetLastError(static_cast<DWORD>(E_FAIL));
    return false;
  }
  if (!AllocateBuffer()) return false;
  DWORD read = 0, needed = 0;
  if (!ReadEventLogW(log_, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer_, bufferSize_, &read, &needed))
    return GetLastError() == ERROR_HANDLE_EOF;
  if (read == 0) return true;
  next_ = buffer_;
  return ReadLog(reinterpret_cast<EVENTLOGRECORD*>(buffer_)->RecordNumber);
}

bool NTEventLog::Rewind(bool reopen) {
  if (reopen && !Reopen()) return false;
  if (!ReadLog(0)) return false;
  next_ = buffer_;
  return true;
}

}  // namespace cmr
