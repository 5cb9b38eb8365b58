// ETWEventLog::Seek: the stored event is found by its record id relative to
// the oldest event, checked by its creation time. A stored number keeps only
// the low 32 bits of the id, so a time mismatch moves on to the next high
// part; an id mismatch (the log moved under the reader) waits a random
// while and starts again on a new query.
#include "base/exceptions.h"
#include "base/format.h"
#include "base/trace.h"
#include "collect/etw_event_log.h"
#include "platform/api/crt_random.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

constexpr int kFurtherPasses = 5;
constexpr uint64_t kHighPart = 0x100000000ull;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ull;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;

// The seconds since 1970 that a stored position's FILETIME was made from.
uint32_t StoredSeconds(uint64_t fileTime) {
  return static_cast<uint32_t>(fileTime / kFileTimeUnitsPerSecond - kSecondsFrom1601To1970);
}

// Text for a single-quoted XML attribute.
std::u16string XmlAttributeText(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u'&') {
      out += u"&amp;";
    } else if (c == u'\'') {
      out += u"&apos;";
    } else if (c == u'<') {
      out += u"&lt;";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

uint32_t High(uint64_t v) { return static_cast<uint32_t>(v >> 32); }
uint32_t Low(uint64_t v) { return static_cast<uint32_t>(v); }

}  // namespace

bool ETWEventLog::Seek(uint64_t recordId, uint64_t fileTime, bool& found) {
  Trace(30, u"ETWEventLog::Seek(recordNumber = 0x%I64x)", recordId);
  found = false;
  try {
    if (!resultSet_) throw Win32Exception(static_cast<DWORD>(E_FAIL));
    uint64_t id = recordId;
    // One wait for each pass after the first, and one more after the last:
    // a query that cannot be opened again does not make the search endless.
    int waits = kFurtherPasses + 1;
    while (SeekPass(id, fileTime, found, waits) == PassEnd::Retry) {
    }
    if (!found) ThrowLastErrorIfFalse(Rewind());
    return true;
  } catch (const Win32Exception& e) {
    SetLastError(static_cast<DWORD>(e.Code()));
    return false;
  }
}

ETWEventLog::PassEnd ETWEventLog::SeekPass(uint64_t& id, uint64_t fileTime, bool& found, int& waits) {
  ThrowLastErrorIfFalse(Rewind());
  std::unique_ptr<RenderedEvent> event;
  if (!ReadOne(event)) {
    Trace(20, u"ETWEventLog::Seek: empty log, position not found");
    return PassEnd::Done;
  }
  const uint64_t first = event->RecordId();
  Trace(30, u"Current record number: 0x%I64x", first);
  if (High(id) == 0) id |= first & 0xFFFFFFFF00000000ull;
  while (id >= first) {
    Trace(30, u"EvtSeek to position 0x%I64x", id);
    if (id != first) {
      // The oldest event itself is read already: the batch after it stays,
      // so that the reader goes on just after it.
      CloseBatch();
      ThrowLastErrorIfFalse(
          api_.EvtSeek(resultSet_, static_cast<LONGLONG>(id - first - 1), nullptr, 0, EvtSeekRelativeToCurrent));
      bool read = ReadOne(event);
      // An event past the one sought, or none (the seek went past the end):
      // ids are missing before it (a damaged log whose unreadable events
      // leave a gap). The sought id may still be there; a seek by its id
      // finds it.
      if ((!read || event->RecordId() > id) && SeekToId(id)) read = ReadOne(event);
      if (!read) return PassEnd::Done;  // the caller rewinds
    }
    const uint64_t eventTime = event->TimeCreated();
    Trace(30, u"Current event: RN=0x%I64x DT=0x%08x", event->RecordId(),
          static_cast<uint32_t>(event->TimeCreatedUnixSeconds()));
    if (event->RecordId() == id) {
      // The stored time is the event's time as positions keep it: whole
      // seconds since 1970 (the event's carries a fraction).
      if (LogPositionOf(*event).TimeWritten == StoredSeconds(fileTime)) {
        found = true;
        return PassEnd::Done;
      }
      Trace(30, u"Seek: event time mismatch (expected [%x:%x], event time [%x:%x])", High(fileTime), Low(fileTime),
            High(eventTime), Low(eventTime));
      id += kHighPart;
      continue;
    }
    Trace(20, u"Seek: record id mismatch (expected 0x%I64x, currentRecord 0x%I64x)", id, event->RecordId());
    Trace(20, u"RETRY SEEK");
    if (waits == 0) return PassEnd::Done;
    --waits;
    Sleep(static_cast<DWORD>((crt::rand() % 10 + 1) * 1000));
    if (OpenQuery()) return waits > 0 ? PassEnd::Retry : PassEnd::Done;
    id += kHighPart;
  }
  return PassEnd::Done;
}

bool ETWEventLog::SeekToId(uint64_t id) {
  const std::u16string xml = FormatString(
      u"<BookmarkList><Bookmark Channel='%s' RecordId='%I64u' IsCurrent='true'/>"
      u"</BookmarkList>",
      XmlAttributeText(path_), id);
  EVT_HANDLE bookmark = api_.EvtCreateBookmark(plat::W(xml.c_str()));
  if (!bookmark) return false;
  CloseBatch();
  const bool sought = api_.EvtSeek(resultSet_, 0, bookmark, 0, EvtSeekRelativeToBookmark | EvtSeekStrict) != FALSE;
  const DWORD error = GetLastError();
  api_.EvtClose(bookmark);
  SetLastError(error);
  Trace(30, u"Seek by record id 0x%I64x: %s", id, sought ? u"found" : u"not found");
  return sought;
}

}  // namespace cmr
