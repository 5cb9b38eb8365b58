// EvtFormatMessage: message texts of a publisher in the metadata's locale,
// with inserts (%1) filled from the values given (or the event's own) and
// parameter references (%%n) in those values resolved from the publisher.
// As on Windows, an insert without a value (15029) or a parameter reference
// without a text (15030) still yields the formatted text, but the call fails.
#include <algorithm>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/formats/evtx_system.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"
#include "platform/host/modules/message_inserts.h"
#include "platform/host/modules/message_table.h"
#include "platform/host/modules/pe_image.h"

using namespace host::evt;
using formats::EvtxValue;

namespace {

// A message of one of the publisher's files in `language`; false when the
// file has no table in it or no such message.
bool FindFileMessage(const host::PeImage* file, LANGID language, DWORD id, std::u16string* text) {
  std::span<const uint8_t> table;
  return file && file->Resource(host::kMessageTableType, host::kMessageTableName, language, &table) == 0 &&
         host::FindMessage(table, id, CP_ACP, text) == 0;
}

// 0 and the text of message `id` in `language` or in the neutral language,
// from the publisher's texts, its message file or its parameter file;
// ERROR_EVT_MESSAGE_NOT_FOUND when there is none, ERROR_MUI_FILE_NOT_FOUND
// when its message file could not be read.
DWORD FindMessage(const host::Publisher& p, LANGID language, DWORD id, std::u16string* text) {
  for (LANGID lang : {language, LANGID(0)}) {
    auto texts = p.messages.find(lang);
    if (texts != p.messages.end()) {
      auto found = texts->second.find(id);
      if (found != texts->second.end()) {
        *text = found->second;
        return 0;
      }
    }
    if (FindFileMessage(p.messageFile.get(), lang, id, text) ||
        FindFileMessage(p.parameterFile.get(), lang, id, text)) {
      return 0;
    }
  }
  return p.messageFileError ? ERROR_MUI_FILE_NOT_FOUND : ERROR_EVT_MESSAGE_NOT_FOUND;
}

EvtxValue FromVariant(const EVT_VARIANT& v) {
  auto type = static_cast<EVT_VARIANT_TYPE>(v.Type);
  if (v.Type & EVT_VARIANT_TYPE_ARRAY) return EvtxValue::Null();
  switch (type) {
    case EvtVarTypeString: return EvtxValue::String(v.StringVal ? v.StringVal : u"");
    case EvtVarTypeSByte: return EvtxValue::Integer(type, static_cast<uint64_t>(static_cast<int64_t>(v.SByteVal)));
    case EvtVarTypeInt16: return EvtxValue::Integer(type, static_cast<uint64_t>(static_cast<int64_t>(v.Int16Val)));
    case EvtVarTypeInt32: return EvtxValue::Integer(type, static_cast<uint64_t>(static_cast<int64_t>(v.Int32Val)));
    case EvtVarTypeInt64: return EvtxValue::Integer(type, static_cast<uint64_t>(v.Int64Val));
    case EvtVarTypeByte: return EvtxValue::Integer(type, v.ByteVal);
    case EvtVarTypeUInt16: return EvtxValue::Integer(type, v.UInt16Val);
    case EvtVarTypeUInt32:
    case EvtVarTypeHexInt32: return EvtxValue::Integer(type, v.UInt32Val);
    case EvtVarTypeUInt64:
    case EvtVarTypeHexInt64:
    case EvtVarTypeSizeT: return EvtxValue::Integer(type, v.UInt64Val);
    case EvtVarTypeBoolean: return EvtxValue::Boolean(v.BooleanVal != 0);
    case EvtVarTypeDouble: return EvtxValue::Double(v.DoubleVal);
    case EvtVarTypeSingle: return EvtxValue::Single(v.SingleVal);
    case EvtVarTypeFileTime: return EvtxValue::FileTime(v.FileTimeVal);
    case EvtVarTypeGuid: return v.GuidVal ? EvtxValue::Guid(*v.GuidVal) : EvtxValue::Null();
    case EvtVarTypeSid:
    case EvtVarTypeBinary: {
      auto* p = static_cast<const uint8_t*>(type == EvtVarTypeSid ? v.SidVal : v.BinaryVal);
      std::vector<uint8_t> bytes(p, p ? p + v.Count : p);
      return type == EvtVarTypeSid ? EvtxValue::Sid(std::move(bytes)) : EvtxValue::Binary(std::move(bytes));
    }
    default: return EvtxValue::Null();
  }
}

// Replaces each "%%n" of a value by parameter message n; false when one has no text.
bool ResolveParameters(const host::Publisher& p, LANGID language, std::u16string& text) {
  bool resolved = true;
  size_t at = 0;
  while ((at = text.find(u"%%", at)) != std::u16string::npos) {
    size_t end = at + 2;
    DWORD id = 0;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') id = id * 10 + (text[end++] - u'0');
    std::u16string value;
    if (end == at + 2 || FindMessage(p, language, id, &value) != 0) {
      resolved = resolved && end == at + 2;
      at = end;
      continue;
    }
    while (!value.empty() && (value.back() == u'\n' || value.back() == u'\r')) value.pop_back();
    text.replace(at, end - at, value);
    at += value.size();
  }
  return resolved;
}

// Highest insert number used by a message text (escaped "%%" skipped).
unsigned HighestInsert(std::u16string_view text) {
  unsigned highest = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'%') continue;
    if (text[i + 1] == u'%') {
      ++i;
      continue;
    }
    unsigned n = 0;
    size_t j = i + 1;
    while (j < text.size() && j < i + 3 && text[j] >= u'0' && text[j] <= u'9') n = n * 10 + (text[j++] - u'0');
    highest = std::max(highest, n);
  }
  return highest;
}

// Formats `message`; returns 0, 15029 or 15030 (the text is made in each case).
DWORD FormatWith(const host::Publisher& p, LANGID language, const std::u16string& message,
                 const std::vector<EvtxValue>& values, std::u16string* out) {
  DWORD result = 0;
  unsigned count = HighestInsert(message);
  std::vector<std::u16string> texts(count);
  for (unsigned i = 0; i < count; ++i) {
    if (i < values.size()) {
      texts[i] = formats::EvtxValueText(values[i]);
      if (!ResolveParameters(p, language, texts[i]) && result == 0) result = ERROR_EVT_UNRESOLVED_PARAMETER_INSERT;
    } else {
      texts[i] = u"%" + plat::Utf8ToUtf16(std::to_string(i + 1));  // the insert stays as written
      result = ERROR_EVT_UNRESOLVED_VALUE_INSERT;
    }
  }
  std::vector<DWORD_PTR> arguments;
  for (const auto& t : texts) arguments.push_back(reinterpret_cast<DWORD_PTR>(t.c_str()));
  host::InsertArguments args;
  args.ignore = false;
  args.array = arguments.data();
  if (host::ExpandMessage(message, args, out) != 0) *out = message;
  return result;
}

// The message id that `flags` asks for, or false (15027) when there is none.
bool MessageIdFor(const host::Publisher& p, Event* event, DWORD flags, DWORD* id) {
  if (flags == EvtFormatMessageProvider) {
    *id = p.messageId;
    return p.messageId != 0xFFFFFFFFu;
  }
  if (!event) return false;
  auto system = formats::GetEvtxSystem(event->Record().event);
  if (flags == EvtFormatMessageChannel) {
    for (const auto& ref : p.channels) {
      if (host::EqualNoCase(ref.path, system[EvtSystemChannel].text)) {
        *id = ref.messageId;
        return ref.messageId != 0xFFFFFFFFu;
      }
    }
    return false;
  }
  uint64_t eventId = system[EvtSystemEventID].bits;
  uint64_t version = system[EvtSystemVersion].bits;
  const host::EventDefinition* best = nullptr;
  for (const auto& d : p.events) {
    if (d.id == eventId && (!best || d.version == version)) best = &d;
  }
  if (!best || best->messageId == 0xFFFFFFFFu) return false;
  *id = best->messageId;
  return true;
}

}  // namespace

BOOL WINAPI EvtFormatMessage(EVT_HANDLE publisherMetadata, EVT_HANDLE event, DWORD messageId, DWORD valueCount,
                             PEVT_VARIANT values, DWORD flags, DWORD bufferSize, LPWSTR buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtFormatMessage")) return Fail(e);
  if (!bufferUsed || (valueCount && !values) || (bufferSize && !buffer)) return Fail(ERROR_INVALID_PARAMETER);
  // Level, task, opcode, keyword and XML messages are not modelled.
  bool byId = flags == EvtFormatMessageId;
  bool needsEvent = flags == EvtFormatMessageEvent || flags == EvtFormatMessageChannel;
  if ((!byId && !needsEvent && flags != EvtFormatMessageProvider) || (byId && event) || (needsEvent && !event)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  host::Lock lock;
  auto metadata = As<PublisherMetadata>(publisherMetadata);
  if (!metadata) return Fail(ERROR_INVALID_HANDLE);
  std::shared_ptr<Event> ev = event ? As<Event>(event) : nullptr;
  if (event && !ev) return Fail(ERROR_INVALID_HANDLE);
  const host::Publisher& p = *metadata->publisher;
  LANGID language = LANGIDFROMLCID(metadata->locale);
  DWORD id = messageId;
  if (!byId && !MessageIdFor(p, ev.get(), flags, &id)) return Fail(ERROR_EVT_MESSAGE_NOT_FOUND);
  std::u16string message;
  if (DWORD e = FindMessage(p, language, id, &message)) return Fail(e);
  std::vector<EvtxValue> inserts;
  for (DWORD i = 0; i < valueCount; ++i) inserts.push_back(FromVariant(values[i]));
  if (!valueCount && ev && flags == EvtFormatMessageEvent) {
    for (auto& v : formats::GetEvtxUserValues(ev->Record().event)) inserts.push_back(std::move(v.value));
  }
  std::u16string text;
  DWORD result = FormatWith(p, language, message, inserts, &text);
  if (DWORD e = CopyText(text, bufferSize, buffer, bufferUsed)) return Fail(e);
  return result ? Fail(result) : TRUE;
}
