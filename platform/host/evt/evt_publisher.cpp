// Publisher metadata: EvtOpenPublisherMetadata, its properties and object
// arrays (channel references), and the event metadata enumeration.
#include "platform/api/kernel.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/evt_variant_buffer.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"

using namespace host::evt;
using formats::EvtxValue;

namespace {

EvtxValue UInt32(DWORD v) { return EvtxValue::Integer(EvtVarTypeUInt32, v); }

BOOL WriteValue(const EvtxValue& value, DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = host::WriteVariants({&value, 1}, bufferSize, buffer, bufferUsed)) return Fail(e);
  return TRUE;
}

// The locale whose texts the metadata gives: the system's or the user's
// default for those two names, the thread's for 0.
LCID MetadataLocale(LCID locale) {
  if (locale == 0) return GetThreadLocale();
  if (LANGIDFROMLCID(locale) == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT)) return GetSystemDefaultLCID();
  if (LANGIDFROMLCID(locale) == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)) return GetUserDefaultLCID();
  return locale;
}

bool IsArrayProperty(int id) {
  return id == EvtPublisherMetadataChannelReferences || id == EvtPublisherMetadataLevels ||
         id == EvtPublisherMetadataTasks || id == EvtPublisherMetadataOpcodes || id == EvtPublisherMetadataKeywords;
}

EvtxValue ChannelReferenceValue(const host::ChannelReference& ref, DWORD id) {
  switch (id) {
    case EvtPublisherMetadataChannelReferencePath: return EvtxValue::String(ref.path);
    case EvtPublisherMetadataChannelReferenceIndex: return UInt32(ref.index);
    case EvtPublisherMetadataChannelReferenceID: return UInt32(ref.id);
    case EvtPublisherMetadataChannelReferenceFlags: return UInt32(ref.flags);
    default: return UInt32(ref.messageId);
  }
}

}  // namespace

EVT_HANDLE WINAPI EvtOpenPublisherMetadata(EVT_HANDLE session, LPCWSTR publisherId, LPCWSTR /*logFilePath*/,
                                           LCID locale, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenPublisherMetadata")) return FailHandle(e);
  if (!publisherId || flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  DWORD error = 0;
  host::Computer* computer = SessionComputer(session, &error);
  if (!computer) return FailHandle(error);
  const host::Publisher* publisher = host::EventLogOf(*computer).FindPublisher(publisherId);
  if (!publisher) return FailHandle(ERROR_EVT_PUBLISHER_METADATA_NOT_FOUND);
  auto copy = std::make_shared<host::Publisher>(*publisher);
  if (DWORD e = host::LoadPublisherFiles(host::EventLogOf(*computer), *copy)) return FailHandle(e);
  auto metadata = std::make_shared<PublisherMetadata>();
  metadata->publisher = copy;
  metadata->locale = MetadataLocale(locale);
  metadata->server = session ? As<Session>(session)->server : std::u16string();
  return Add(metadata);
}

BOOL WINAPI EvtGetPublisherMetadataProperty(EVT_HANDLE publisherMetadata, int propertyId, DWORD flags, DWORD bufferSize,
                                            PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtGetPublisherMetadataProperty")) return Fail(e);
  if (flags != 0 || !bufferUsed) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto metadata = As<PublisherMetadata>(publisherMetadata);
  if (!metadata) return Fail(ERROR_INVALID_HANDLE);
  const host::Publisher& p = *metadata->publisher;
  if (IsArrayProperty(propertyId)) {
    // The array's handle is made only when the buffer can take it.
    if (DWORD e = host::WriteHandleVariant(nullptr, bufferSize, buffer, bufferUsed)) return Fail(e);
    auto array = std::make_shared<ObjectArray>();
    array->publisher = metadata->publisher;
    array->property = static_cast<DWORD>(propertyId);
    host::WriteHandleVariant(Add(array), bufferSize, buffer, bufferUsed);
    return TRUE;
  }
  switch (propertyId) {
    case EvtPublisherMetadataPublisherGuid: return WriteValue(EvtxValue::Guid(p.guid), bufferSize, buffer, bufferUsed);
    case EvtPublisherMetadataResourceFilePath:
      return WriteValue(EvtxValue::String(p.resourceFilePath), bufferSize, buffer, bufferUsed);
    case EvtPublisherMetadataParameterFilePath:
      return WriteValue(EvtxValue::String(p.parameterFilePath), bufferSize, buffer, bufferUsed);
    case EvtPublisherMetadataMessageFilePath:
      return WriteValue(EvtxValue::String(p.messageFilePath), bufferSize, buffer, bufferUsed);
    case EvtPublisherMetadataHelpLink: return WriteValue(EvtxValue::String(p.helpLink), bufferSize, buffer, bufferUsed);
    case EvtPublisherMetadataPublisherMessageID: return WriteValue(UInt32(p.messageId), bufferSize, buffer, bufferUsed);
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}

BOOL WINAPI EvtGetObjectArraySize(EVT_HANDLE objectArray, PDWORD objectArraySize) {
  if (DWORD e = HOST_FAULT("EvtGetObjectArraySize")) return Fail(e);
  if (!objectArraySize) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto array = As<ObjectArray>(objectArray);
  if (!array) return Fail(ERROR_INVALID_HANDLE);
  // Levels, tasks, opcodes and keywords are not kept: those arrays are empty.
  *objectArraySize = array->property == EvtPublisherMetadataChannelReferences
                         ? static_cast<DWORD>(array->publisher->channels.size())
                         : 0;
  return TRUE;
}

BOOL WINAPI EvtGetObjectArrayProperty(EVT_HANDLE objectArray, DWORD propertyId, DWORD arrayIndex, DWORD flags,
                                      DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtGetObjectArrayProperty")) return Fail(e);
  if (flags != 0 || !bufferUsed) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto array = As<ObjectArray>(objectArray);
  if (!array) return Fail(ERROR_INVALID_HANDLE);
  const auto& refs = array->publisher->channels;
  bool channelProperty = propertyId >= EvtPublisherMetadataChannelReferencePath &&
                         propertyId <= EvtPublisherMetadataChannelReferenceMessageID;
  if (array->property != EvtPublisherMetadataChannelReferences || !channelProperty || arrayIndex >= refs.size()) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  return WriteValue(ChannelReferenceValue(refs[arrayIndex], propertyId), bufferSize, buffer, bufferUsed);
}

EVT_HANDLE WINAPI EvtOpenEventMetadataEnum(EVT_HANDLE publisherMetadata, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenEventMetadataEnum")) return FailHandle(e);
  if (flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto metadata = As<PublisherMetadata>(publisherMetadata);
  if (!metadata) return FailHandle(ERROR_INVALID_HANDLE);
  auto events = std::make_shared<EventMetadataEnum>();
  events->publisher = metadata->publisher;
  return Add(events);
}

EVT_HANDLE WINAPI EvtNextEventMetadata(EVT_HANDLE eventMetadataEnum, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtNextEventMetadata")) return FailHandle(e);
  if (flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto events = As<EventMetadataEnum>(eventMetadataEnum);
  if (!events) return FailHandle(ERROR_INVALID_HANDLE);
  if (events->next >= events->publisher->events.size()) return FailHandle(ERROR_NO_MORE_ITEMS);
  auto event = std::make_shared<EventMetadata>();
  event->definition = events->publisher->events[events->next++];
  return Add(event);
}

BOOL WINAPI EvtGetEventMetadataProperty(EVT_HANDLE eventMetadata, int propertyId, DWORD flags, DWORD bufferSize,
                                        PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtGetEventMetadataProperty")) return Fail(e);
  if (flags != 0 || !bufferUsed) return Fail(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  auto event = As<EventMetadata>(eventMetadata);
  if (!event) return Fail(ERROR_INVALID_HANDLE);
  const host::EventDefinition& d = event->definition;
  switch (propertyId) {
    case EventMetadataEventID: return WriteValue(UInt32(d.id), bufferSize, buffer, bufferUsed);
    case EventMetadataEventVersion: return WriteValue(UInt32(d.version), bufferSize, buffer, bufferUsed);
    case EventMetadataEventChannel: return WriteValue(UInt32(d.channel), bufferSize, buffer, bufferUsed);
    case EventMetadataEventLevel: return WriteValue(UInt32(d.level), bufferSize, buffer, bufferUsed);
    case EventMetadataEventOpcode: return WriteValue(UInt32(d.opcode), bufferSize, buffer, bufferUsed);
    case EventMetadataEventTask: return WriteValue(UInt32(d.task), bufferSize, buffer, bufferUsed);
    case EventMetadataEventKeyword:
      return WriteValue(EvtxValue::Integer(EvtVarTypeUInt64, d.keywords), bufferSize, buffer, bufferUsed);
    case EventMetadataEventMessageID: return WriteValue(UInt32(d.messageId), bufferSize, buffer, bufferUsed);
    case EventMetadataEventTemplate:
      return WriteValue(EvtxValue::String(d.templateXml), bufferSize, buffer, bufferUsed);
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}
