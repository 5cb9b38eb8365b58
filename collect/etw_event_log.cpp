// ETWEventLog: opening a query, fetching and rendering events in batches,
// rewinding and going to the newest event.
#include "collect/etw_event_log.h"

#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "render/time_text.h"

namespace cmr {

namespace {
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ull;
}  // namespace

EtwPosition EtwPositionOf(const LogPosition& position) {
  return {position.RecordNumber, (position.TimeWritten + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond};
}

LogPosition LogPositionOf(const RenderedEvent& event) {
  return {static_cast<uint32_t>(event.RecordId()), static_cast<uint32_t>(event.TimeCreatedUnixSeconds())};
}

ETWEventLog::ETWEventLog(uint16_t backupAge, uint32_t batchSize)
    : backupAge_(backupAge), batch_(batchSize == 0 ? 1 : batchSize, nullptr) {}

ETWEventLog::~ETWEventLog() { Close(); }

bool ETWEventLog::Open(const std::u16string& server, const std::u16string& path, EtwQueryKind kind) {
  Close();
  server_ = server;
  path_ = path;
  kind_ = kind;
  return OpenQuery();
}

bool ETWEventLog::Close() {
  CloseBatch();
  contexts_.reset();
  CloseEvtHandle(api_, resultSet_);
  resultSet_ = nullptr;
  return true;
}

bool ETWEventLog::OpenQuery() {
  Trace(30, u"Opening session: (%s:%s)", server_, path_);
  try {
    ThrowLastErrorIfFalse(api_.Load());
    EvtHandleGuard session(api_, OpenSession(api_, server_));
    ThrowLastErrorIfFalse(session.get() != nullptr);
    EVT_HANDLE query = api_.EvtQuery(session.get(), plat::W(path_.c_str()), nullptr,
                                     static_cast<DWORD>(kind_) | EvtQueryForwardDirection);
    ThrowLastErrorIfFalse(query != nullptr);
    CloseBatch();
    CloseEvtHandle(api_, resultSet_);
    resultSet_ = query;
    return true;
  } catch (const Win32Exception& e) {
    Trace(20, u"Opening session (%s:%s) failed: %s", server_, path_, e.FullText());
    SetLastError(static_cast<DWORD>(e.Code()));
    return false;
  }
}

void ETWEventLog::CloseBatch() {
  for (DWORD i = batchNext_; i < batchCount_; ++i) CloseEvtHandle(api_, batch_[i]);
  batchNext_ = 0;
  batchCount_ = 0;
}

void ETWEventLog::Fetch() {
  CloseBatch();
  DWORD returned = 0;
  if (api_.EvtNext(resultSet_, static_cast<DWORD>(batch_.size()), batch_.data(), INFINITE, 0, &returned)) {
    batchCount_ = returned;
    return;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_ITEMS) throw Win32Exception(error);
}

bool ETWEventLog::ReadOne(std::unique_ptr<RenderedEvent>& event) {
  if (batchNext_ >= batchCount_) Fetch();
  if (batchNext_ >= batchCount_) return false;
  EvtHandleGuard handle(api_, batch_[batchNext_++]);
  if (!contexts_) contexts_ = std::make_unique<EvtRenderContexts>(api_.RenderFunctions());
  if (!event) event = std::make_unique<RenderedEvent>();
  event->Render(*contexts_, handle.get(), true);
  return true;
}

bool ETWEventLog::GetNextRecord(std::unique_ptr<RenderedEvent>& event, bool& end) {
  if (!resultSet_) {
    SetLastError(static_cast<DWORD>(E_FAIL));
    return false;
  }
  try {
    if (!ReadOne(event)) end = true;
    return true;
  } catch (const Win32Exception& e) {
    SetLastError(static_cast<DWORD>(e.Code()));
    return false;
  }
}

bool ETWEventLog::Rewind() {
  if (!resultSet_) {
    SetLastError(static_cast<DWORD>(E_FAIL));
    return false;
  }
  CloseBatch();
  return api_.EvtSeek(resultSet_, 0, nullptr, 0, EvtSeekRelativeToFirst | EvtSeekStrict) != FALSE;
}

bool ETWEventLog::SeekMostRecent() {
  if (!resultSet_) {
    SetLastError(static_cast<DWORD>(E_FAIL));
    return false;
  }
  CloseBatch();
  return api_.EvtSeek(resultSet_, 0, nullptr, 0, EvtSeekRelativeToLast) != FALSE;
}

}  // namespace cmr
