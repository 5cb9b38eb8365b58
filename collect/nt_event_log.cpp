#include "collect/nt_event_log.h"

#include <algorithm>
#include <ctime>

#include "base/trace.h"
#include "platform/api/crt_random.h"
#include "platform/api/heap.h"
#include "platform/api/kernel.h"
#include "platform/api/security.h"

namespace cmr {
namespace {

constexpr DWORD kFail = static_cast<DWORD>(E_FAIL);

bool FailWith(DWORD error) {
  SetLastError(error);
  return false;
}

// The named mutex that serialises reads of one log of one server; null
// (reads unsynchronised) when it cannot be made.
HANDLE CreateReadMutex(const std::u16string& server, const std::u16string& logName) {
  std::u16string name = server + logName;
  std::replace(name.begin(), name.end(), u'\\', u'/');
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, FALSE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), &descriptor, FALSE};
  return CreateMutexW(&attributes, FALSE, name.c_str());
}

}  // namespace

NTEventLog::NTEventLog(DWORD bufferSize, uint16_t backupAge) : bufferSize_(bufferSize), backupAge_(backupAge) {
  crt::srand(static_cast<unsigned>(std::time(nullptr)) ^ GetCurrentProcessId() ^ GetCurrentThreadId());
}

NTEventLog::~NTEventLog() {
  Close();
  if (buffer_) HeapFree(GetProcessHeap(), 0, buffer_);
}

bool NTEventLog::HasHandle() const { return log_ != nullptr; }

bool NTEventLog::SetFile(const std::u16string& path) {
  fileMode_ = true;
  filePath_ = path;
  return true;
}

bool NTEventLog::Close() {
  if (readMutex_) CloseHandle(readMutex_);
  readMutex_ = nullptr;
  if (log_) CloseEventLog(log_);
  log_ = nullptr;
  if (!tempFile_.empty()) DeleteFileW(tempFile_.c_str());
  tempFile_.clear();
  server_.reset();
  currentBackupPath_.clear();
  current_ = nullptr;
  next_ = nullptr;
  bytesRead_ = 0;
  end_ = 0;
  return true;
}

bool NTEventLog::OpenLive() {
  log_ = OpenEventLogW((u"\\\\" + server_.value_or(u"")).c_str(), logName_.c_str());
  if (!log_) return false;
  DWORD oldest = 0, count = 0;
  if (GetOldestEventLogRecord(log_, &oldest) && GetNumberOfEventLogRecords(log_, &count) && count != 0) {
    endKnown_ = 1;
    endRecordNumber_ = oldest + count;
  }
  return true;
}

bool NTEventLog::Open(const char16_t* server, const char16_t* logName, DWORD attempts, DWORD delayMs) {
  Close();
  if (server) server_ = server;
  if (logName) logName_ = logName;
  readMutex_ = CreateReadMutex(server_.value_or(u""), logName_);
  for (DWORD attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) Sleep(delayMs);
    if (fileMode_) {
      if (!OpenBackupFile(nullptr, filePath_, false)) {
        if (log_) CloseEventLog(log_);
        log_ = nullptr;
      }
    } else {
      OpenLive();
    }
    if (log_ || GetLastError() != RPC_S_SERVER_UNAVAILABLE) break;
  }
  if (!log_) return false;
  sidCache_.OpenPolicy(server_.value_or(u""));
  return true;
}

bool NTEventLog::Reopen() {
  if (!server_ || (logName_.empty() && currentBackupPath_.empty())) return FailWith(kFail);
  if (log_) CloseEventLog(log_);
  if (!currentBackupPath_.empty()) {
    log_ = OpenBackupEventLogW(nullptr, currentBackupPath_.c_str());
  } else if (fileMode_) {
    log_ = OpenBackupEventLogW(nullptr, filePath_.c_str());
  } else {
    log_ = OpenEventLogW(server_->c_str(), logName_.c_str());
  }
  return log_ != nullptr;
}

bool NTEventLog::AllocateBuffer() {
  if (buffer_) return true;
  buffer_ = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, bufferSize_));
  return buffer_ ? true : FailWith(ERROR_OUTOFMEMORY);
}

bool NTEventLog::ReadLog(DWORD recordNumber) {
  Trace(30, u"ReadLog(%d)", recordNumber);
  if (!HasHandle()) return FailWith(kFail);
  if (!AllocateBuffer()) return false;
  const DWORD flags = EVENTLOG_FORWARDS_READ | (recordNumber ? EVENTLOG_SEEK_READ : EVENTLOG_SEQUENTIAL_READ);
  for (;;) {
    if (readMutex_ && WaitForSingleObject(readMutex_, INFINITE) == WAIT_FAILED)
      Trace(10, u"ReadEventLog mutex wait error: %d", GetLastError());
    DWORD read = 0, needed = 0;
    const BOOL ok = ReadEventLogW(log_, flags, recordNumber, buffer_, bufferSize_, &read, &needed);
    const DWORD error = ok ? 0 : GetLastError();
    if (readMutex_ && !ReleaseMutex(readMutex_)) Trace(10, u"ReadEventLog mutex release error: %d", GetLastError());
    SetLastError(error);
    Trace(40, u"Result: %s (%d) dwBytesRead=%d dwBytesNeeded=%d", ok ? u"TRUE" : u"FALSE", error, read, needed);
    Trace(40, u"LE: %d", GetLastError());
    bytesRead_ = read;
    if (ok || error == ERROR_HANDLE_EOF) {
      next_ = buffer_;
      current_ = nullptr;
      end_ = ok ? 0 : 1;
      if (ok) Trace(30, u"RecNumber: %d", reinterpret_cast<EVENTLOGRECORD*>(buffer_)->RecordNumber);
      return true;
    }
    if (error != ERROR_INSUFFICIENT_BUFFER) return false;
    const DWORD size = std::max(needed, 2 * bufferSize_);
    if (!HeapFree(GetProcessHeap(), 0, buffer_)) return FailWith(kFail);
    buffer_ = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!buffer_) return FailWith(ERROR_OUTOFMEMORY);
    bufferSize_ = size;
  }
}

bool NTEventLog::GetNextRecord(EVENTLOGRECORD** record, RecordContext* context, bool advance, bool* end) {
  if (!HasHandle()) return FailWith(kFail);
  if (!end_ && (!next_ || next_ >= buffer_ + bytesRead_)) {
    if (!ReadLog(0)) return false;
  }
  if (!end_ && advance) {
    current_ = reinterpret_cast<EVENTLOGRECORD*>(next_);
    next_ += current_->Length;
    if (endKnown_ && current_->RecordNumber == endRecordNumber_) end_ = 1;
  }
  *end = end_ != 0;
  *record = end_ ? nullptr : current_;
  if (!*record) return true;
  if (context) {
    context->user = nullptr;
    if (current_->UserSidLength != 0 && current_->UserSidOffset != 0)
      context->user = sidCache_.Lookup(reinterpret_cast<uint8_t*>(current_) + current_->UserSidOffset);
    context->logName = logName_;
    context->eventId = current_->EventID;
  }
  current_->EventID &= 0xFFFF;
  return true;
}

bool NTEventLog::GetOldestRecord(DWORD* oldest) {
  if (!HasHandle()) return FailWith(kFail);
  return GetOldestEventLogRecord(log_, oldest) != FALSE;
}

bool NTEventLog::GetNumberOfRecords(DWORD* count) {
  if (!HasHandle()) return FailWith(kFail);
  return GetNumberOfEventLogRecords(log_, count) != FALSE;
}

bool NTEventLog::AdvanceBackup() {
  if (currentBackup_ >= backups_.size()) return false;
  ++currentBackup_;
  return true;
}

}  // namespace cmr
