// EvtQuery, EvtNext and EvtSeek: forward (or reverse) result sets over a
// channel or an .evtx file.
//
// The result set of a channel is live: events appended after the query are
// read by later EvtNext calls; a clear, or the reader's next event rolling
// out of a full log, makes it stale (ERROR_EVT_QUERY_RESULT_STALE). A file is
// read when the query opens.
#include <algorithm>

#include "platform/api/kernel.h"
#include "platform/formats/evtx_reader.h"
#include "platform/host/evt/evt_log_source.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"

using namespace host::evt;

namespace {

bool IsAllEventsQuery(LPCWSTR query) {
  if (!query) return true;
  std::u16string_view q(query);
  while (!q.empty() && q.front() == u' ') q.remove_prefix(1);
  while (!q.empty() && q.back() == u' ') q.remove_suffix(1);
  return q.empty() || q == u"*";
}

// Valid logical positions of a result set: [first, last]; empty when last < first.
struct Range {
  int64_t first;
  int64_t last;
};

Range LogicalRange(const ResultSet& rs) {
  const auto& log = *rs.log;
  int64_t removed = static_cast<int64_t>(log.removed);
  int64_t size = static_cast<int64_t>(log.size());
  if (!rs.reverse) return {removed, removed + size - 1};
  // Reverse: logical 0 is the newest event when the query opened.
  int64_t newest = std::min<int64_t>(static_cast<int64_t>(rs.reverseEnd), removed + size) - 1;
  return {static_cast<int64_t>(rs.reverseEnd) - 1 - newest, static_cast<int64_t>(rs.reverseEnd) - 1 - removed};
}

// The index in the log of a logical position, or -1.
int64_t LogIndex(const ResultSet& rs, int64_t logical) {
  int64_t absolute = rs.reverse ? static_cast<int64_t>(rs.reverseEnd) - 1 - logical : logical;
  int64_t index = absolute - static_cast<int64_t>(rs.log->removed);
  return index < 0 ? -1 : index;
}

// The record at a logical position, or null.
const host::EventRecordPtr* RecordAt(const ResultSet& rs, int64_t logical) {
  int64_t index = LogIndex(rs, logical);
  return index < 0 ? nullptr : rs.log->at(static_cast<uint64_t>(index));
}

// The event at a logical position; false when there is none. An event of a
// file keeps its chunk, not a tree.
bool EventAt(const ResultSet& rs, int64_t logical, Event& event) {
  int64_t index = LogIndex(rs, logical);
  if (index < 0) return false;
  if (rs.log->file) return rs.log->file->chunkAt(static_cast<uint64_t>(index), event.chunk, event.index);
  const host::EventRecordPtr* record = rs.log->at(static_cast<uint64_t>(index));
  if (record) event.record = *record;
  return record != nullptr;
}

bool IsStale(const ResultSet& rs) {
  if (rs.log->generation != rs.generation) return true;
  // The next event of a forward reader rolled out of a full log.
  return !rs.reverse && rs.next < static_cast<int64_t>(rs.log->removed);
}

int64_t LogicalOfRecordId(const ResultSet& rs, uint64_t recordId, bool* exact) {
  Range r = LogicalRange(rs);
  if (rs.log->file) {
    // A file's chunk headers tell which chunk holds the id: only that one is read.
    int64_t at = static_cast<int64_t>(rs.log->file->positionOf(recordId, exact) + rs.log->removed);
    if (!rs.reverse) return at;
    // Reverse: the logical position of that record, or of the one before it.
    int64_t logical = static_cast<int64_t>(rs.reverseEnd) - 1 - (*exact ? at : at - 1);
    return std::clamp(logical, r.first, r.last + 1);
  }
  for (int64_t i = r.first; i <= r.last; ++i) {
    const auto* record = RecordAt(rs, i);
    uint64_t id = (*record)->recordId;
    if (id == recordId) {
      *exact = true;
      return i;
    }
    bool past = rs.reverse ? id < recordId : id > recordId;
    if (past) {
      *exact = false;
      return i;
    }
  }
  *exact = false;
  return r.last + 1;
}

}  // namespace

EVT_HANDLE WINAPI EvtQuery(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtQuery")) return FailHandle(e);
  DWORD kind = flags & (EvtQueryChannelPath | EvtQueryFilePath);
  DWORD known = EvtQueryChannelPath | EvtQueryFilePath | EvtQueryForwardDirection | EvtQueryReverseDirection |
                EvtQueryTolerateQueryErrors;
  bool bothDirections = (flags & EvtQueryForwardDirection) && (flags & EvtQueryReverseDirection);
  if (!path || (kind != EvtQueryChannelPath && kind != EvtQueryFilePath) || (flags & ~known) || bothDirections) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  if (!IsAllEventsQuery(query)) return FailHandle(ERROR_EVT_INVALID_QUERY);
  host::Lock lock;
  LogSource source;
  if (DWORD e = OpenLogSource(session, path, kind == EvtQueryChannelPath, &source)) return FailHandle(e);
  if (source.channel && source.channel->config.type >= EvtChannelTypeAnalytic && source.channel->config.enabled) {
    return FailHandle(ERROR_EVT_INVALID_OPERATION_OVER_ENABLED_DIRECT_CHANNEL);
  }
  auto rs = std::make_shared<ResultSet>();
  rs->log = source.log;
  rs->generation = source.log->generation;
  rs->channel = source.channel ? source.channel->config.name : std::u16string();
  rs->reverse = (flags & EvtQueryReverseDirection) != 0;
  rs->reverseEnd = source.log->removed + source.log->size();
  Range range = LogicalRange(*rs);
  rs->next = range.first;
  rs->current = range.first - 1;
  return Add(rs);
}

BOOL WINAPI EvtNext(EVT_HANDLE resultSet, DWORD eventsSize, PEVT_HANDLE events, DWORD /*timeout*/, DWORD flags,
                    PDWORD returned) {
  if (returned) *returned = 0;
  if (DWORD e = HOST_FAULT("EvtNext")) return Fail(e);
  if (!events || !returned || eventsSize == 0 || flags != 0) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto rs = As<ResultSet>(resultSet);
  if (!rs) return Fail(ERROR_INVALID_HANDLE);
  if (IsStale(*rs)) return Fail(ERROR_EVT_QUERY_RESULT_STALE);
  DWORD count = 0;
  int64_t at = rs->next, last = LogicalRange(*rs).last;
  for (; count < eventsSize && at <= last; ++at) {
    // An event of a file that could not be read is passed over.
    auto event = std::make_shared<Event>();
    if (!EventAt(*rs, at, *event)) continue;
    event->channel = rs->channel;
    events[count++] = Add(event);
  }
  if (count == 0) return Fail(ERROR_NO_MORE_ITEMS);
  rs->current = rs->next;
  rs->next = at;
  *returned = count;
  return TRUE;
}

BOOL WINAPI EvtSeek(EVT_HANDLE resultSet, LONGLONG position, EVT_HANDLE bookmark, DWORD timeout, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtSeek")) return Fail(e);
  DWORD origin = flags & EvtSeekOriginMask;
  bool strict = (flags & EvtSeekStrict) != 0;
  if (timeout != 0 || origin < EvtSeekRelativeToFirst || origin > EvtSeekRelativeToBookmark ||
      (flags & ~static_cast<DWORD>(EvtSeekOriginMask | EvtSeekStrict))) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  host::Lock lock;
  auto rs = As<ResultSet>(resultSet);
  if (!rs) return Fail(ERROR_INVALID_HANDLE);
  if (rs->log->generation != rs->generation) return Fail(ERROR_EVT_QUERY_RESULT_STALE);
  Range range = LogicalRange(*rs);
  int64_t base = 0;
  bool exact = true;
  switch (origin) {
    case EvtSeekRelativeToFirst: base = range.first; break;
    case EvtSeekRelativeToLast: base = range.last; break;
    case EvtSeekRelativeToCurrent: base = rs->current + 1; break;
    default: {
      auto mark = As<Bookmark>(bookmark);
      if (!mark) return Fail(ERROR_INVALID_HANDLE);
      base = LogicalOfRecordId(*rs, mark->recordId, &exact);
      if (!mark->set) exact = false;
      break;
    }
  }
  int64_t target = base + position;
  bool empty = range.last < range.first;
  if (empty) {
    if (strict && origin == EvtSeekRelativeToBookmark) return Fail(ERROR_NOT_FOUND);
    target = range.first;
  } else if (target < range.first || target > range.last || !exact) {
    // Outside the result set: strict seeks fail; others stop at the boundary.
    if (strict) return Fail(ERROR_NOT_FOUND);
    target = std::clamp(target, range.first, range.last);
  }
  rs->next = target;
  rs->current = target - 1;
  return TRUE;
}
