// EvtCreateBookmark, EvtUpdateBookmark and the bookmark text.
#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/evt/evt_bookmark_text.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"

namespace host::evt {
namespace {

// Reads attribute `name` ('...' or "...") into `value`; returns the closing
// quote's position, or npos when there is no such attribute.
size_t AttributeValue(std::u16string_view xml, std::u16string_view name, std::u16string* value) {
  size_t at = xml.find(name);
  while (at != std::u16string_view::npos) {
    size_t eq = at + name.size();
    while (eq < xml.size() && xml[eq] == u' ') ++eq;
    if (eq < xml.size() && xml[eq] == u'=') {
      size_t quote = eq + 1;
      while (quote < xml.size() && xml[quote] == u' ') ++quote;
      if (quote < xml.size() && (xml[quote] == u'\'' || xml[quote] == u'"')) {
        size_t end = xml.find(xml[quote], quote + 1);
        if (end == std::u16string_view::npos) return end;
        *value = std::u16string(xml.substr(quote + 1, end - quote - 1));
        return end;
      }
    }
    at = xml.find(name, at + 1);
  }
  return std::u16string_view::npos;
}

}  // namespace

std::u16string BookmarkXml(const Bookmark& bookmark) {
  std::u16string xml = u"<BookmarkList>\r\n";
  if (bookmark.set) {
    xml += u"  <Bookmark Channel='" + bookmark.channel + u"' RecordId='" +
           plat::Utf8ToUtf16(std::to_string(bookmark.recordId)) + u"' IsCurrent='true'/>\r\n";
  }
  xml += u"</BookmarkList>";
  return xml;
}

bool ParseBookmarkXml(std::u16string_view xml, Bookmark* bookmark) {
  if (xml.find(u"<BookmarkList") == std::u16string_view::npos) return false;
  size_t mark = xml.find(u"<Bookmark ");
  if (mark == std::u16string_view::npos) return xml.find(u"</BookmarkList>") != std::u16string_view::npos;
  std::u16string channel, id;
  std::u16string_view rest = xml.substr(mark);
  if (AttributeValue(rest, u"Channel", &channel) == std::u16string_view::npos) return false;
  if (AttributeValue(rest, u"RecordId", &id) == std::u16string_view::npos || id.empty()) return false;
  uint64_t value = 0;
  for (char16_t c : id) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  bookmark->channel = channel;
  bookmark->recordId = value;
  bookmark->set = true;
  return true;
}

}  // namespace host::evt

using namespace host::evt;

EVT_HANDLE WINAPI EvtCreateBookmark(LPCWSTR bookmarkXml) {
  if (DWORD e = HOST_FAULT("EvtCreateBookmark")) return FailHandle(e);
  auto mark = std::make_shared<Bookmark>();
  if (bookmarkXml && !ParseBookmarkXml(bookmarkXml, mark.get())) return FailHandle(ERROR_EVT_MALFORMED_XML_TEXT);
  return Add(mark);
}

BOOL WINAPI EvtUpdateBookmark(EVT_HANDLE bookmark, EVT_HANDLE event) {
  if (DWORD e = HOST_FAULT("EvtUpdateBookmark")) return Fail(e);
  host::Lock lock;
  auto mark = As<Bookmark>(bookmark);
  auto ev = As<Event>(event);
  if (!mark || !ev) return Fail(ERROR_INVALID_HANDLE);
  mark->channel = ev->channel;
  mark->recordId = ev->RecordId();
  mark->set = true;
  return TRUE;
}
