// EvtCreateRenderContext and EvtRender: the system and user values of an
// event as EVT_VARIANTs with their real types, or the event (or a bookmark)
// as XML.
#include <cstring>
#include <forward_list>

#include "platform/api/kernel.h"
#include "platform/formats/evtx_xml.h"
#include "platform/host/evt/evt_bookmark_text.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/evt_variant_buffer.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"

using namespace host::evt;

namespace {

// The system or the user values of an event, written without copying them.
DWORD WriteEventValues(Event& event, DWORD contextFlags, DWORD bufferSize, PVOID buffer, PDWORD bufferUsed,
                       PDWORD count) {
  if (event.chunk) {
    // A record of a file: its values are read from its chunk, without a tree.
    auto values = contextFlags == EvtRenderContextSystem ? event.chunk->systemRefs(event.index)
                                                         : event.chunk->userRefs(event.index);
    *count = static_cast<DWORD>(values.size());
    return host::WriteVariants(values, bufferSize, buffer, bufferUsed);
  }
  const formats::EvtxRecord& record = *event.record;
  if (contextFlags == EvtRenderContextSystem) {
    formats::EvtxSystemRefs system;
    formats::GetEvtxSystemRefs(record.event, system);
    // The record header holds the id the log keeps.
    formats::EvtxValue recordId = formats::EvtxValue::Integer(EvtVarTypeUInt64, record.recordId);
    system.values[EvtSystemEventRecordId] = &recordId;
    *count = static_cast<DWORD>(system.values.size());
    return host::WriteVariants(system.values, bufferSize, buffer, bufferUsed);
  }
  thread_local std::vector<const formats::EvtxValue*> values;  // kept from call to call: no allocation
  values.clear();
  std::forward_list<formats::EvtxValue> texts;
  formats::GetEvtxUserValueRefs(record.event, values, texts);
  *count = static_cast<DWORD>(values.size());
  return host::WriteVariants(values, bufferSize, buffer, bufferUsed);
}

// XML text into a byte-sized buffer, with the null.
BOOL RenderText(const std::u16string& text, DWORD bufferSize, PVOID buffer, PDWORD bufferUsed, PDWORD count) {
  DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
  *bufferUsed = needed;
  *count = 0;
  if (!buffer || bufferSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, text.c_str(), needed);
  return TRUE;
}

}  // namespace

EVT_HANDLE WINAPI EvtCreateRenderContext(DWORD valuePathsCount, LPCWSTR* valuePaths, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtCreateRenderContext")) return FailHandle(e);
  // Contexts of XPath value lists are not supported by the host.
  if ((flags != EvtRenderContextSystem && flags != EvtRenderContextUser) || valuePathsCount != 0 || valuePaths) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  auto context = std::make_shared<RenderContext>();
  context->flags = flags;
  return Add(context);
}

BOOL WINAPI EvtRender(EVT_HANDLE context, EVT_HANDLE fragment, DWORD flags, DWORD bufferSize, PVOID buffer,
                      PDWORD bufferUsed, PDWORD propertyCount) {
  if (DWORD e = HOST_FAULT("EvtRender")) return Fail(e);
  if (!bufferUsed || !propertyCount || (bufferSize && !buffer)) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  if (flags == EvtRenderBookmark) {
    auto mark = As<Bookmark>(fragment);
    if (!mark || context) return Fail(mark ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return RenderText(BookmarkXml(*mark), bufferSize, buffer, bufferUsed, propertyCount);
  }
  auto event = As<Event>(fragment);
  if (!event) return Fail(ERROR_INVALID_HANDLE);
  if (flags == EvtRenderEventXml) {
    if (context) return Fail(ERROR_INVALID_PARAMETER);
    return RenderText(formats::RenderEvtxXml(event->Record().event), bufferSize, buffer, bufferUsed, propertyCount);
  }
  if (flags != EvtRenderEventValues) return Fail(ERROR_INVALID_PARAMETER);
  auto rc = As<RenderContext>(context);
  if (!rc) return Fail(ERROR_INVALID_HANDLE);
  if (DWORD e = WriteEventValues(*event, rc->flags, bufferSize, buffer, bufferUsed, propertyCount)) return Fail(e);
  return TRUE;
}
