#include "platform/host/classic/classic_view.h"

#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/hex_digit.h"
#include "platform/host/kernel/clock.h"

namespace host {
namespace {

constexpr uint64_t kAuditSuccess = 0x0020000000000000ULL;
constexpr uint64_t kAuditFailure = 0x0010000000000000ULL;

uint32_t UnixSeconds(uint64_t fileTime) {
  return fileTime <= kUnixEpochAsFileTime ? 0 : static_cast<uint32_t>((fileTime - kUnixEpochAsFileTime) / 10000000ULL);
}

uint16_t EventType(uint64_t level, uint64_t keywords) {
  if (keywords & kAuditSuccess) return EVENTLOG_AUDIT_SUCCESS;
  if (keywords & kAuditFailure) return EVENTLOG_AUDIT_FAILURE;
  if (level == 1 || level == 2) return EVENTLOG_ERROR_TYPE;
  if (level == 3) return EVENTLOG_WARNING_TYPE;
  return EVENTLOG_INFORMATION_TYPE;
}

// The bytes of a Binary element: binary values as they are, hex text decoded.
std::vector<uint8_t> BinaryData(const formats::EvtxValue& v) {
  if (v.baseType() == EvtVarTypeBinary) return v.bytes;
  std::vector<uint8_t> bytes;
  if (v.baseType() != EvtVarTypeString) return bytes;
  for (size_t i = 0; i + 1 < v.text.size(); i += 2) {
    int hi = formats::HexDigit(v.text[i]), lo = formats::HexDigit(v.text[i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return bytes;
}

// A value as insertion-string text; array elements follow one another.
std::u16string ValueText(const formats::EvtxValue& v) {
  if (!v.isArray()) return v.isNull() ? std::u16string() : formats::EvtxValueText(v);
  std::u16string text;
  for (const auto& item : v.items) text += formats::EvtxValueText(item);
  return text;
}

}  // namespace

formats::EvtRecordFields ClassicFieldsOf(const formats::EvtxRecord& record) {
  formats::EvtxSystem system = formats::GetEvtxSystem(record.event);
  formats::EvtRecordFields f;
  f.source = !system.eventSourceName.isNull() ? system.eventSourceName.text : system[EvtSystemProviderName].text;
  f.computer = system[EvtSystemComputer].text;
  f.recordNumber = static_cast<uint32_t>(record.recordId);
  uint32_t qualifiers = static_cast<uint32_t>(system[EvtSystemQualifiers].bits & 0xFFFF);
  f.eventId = (qualifiers << 16) | static_cast<uint32_t>(system[EvtSystemEventID].bits & 0xFFFF);
  f.eventType = EventType(system[EvtSystemLevel].bits, system[EvtSystemKeywords].bits);
  f.category = static_cast<uint16_t>(system[EvtSystemTask].bits);
  f.timeGenerated = UnixSeconds(system[EvtSystemTimeCreated].bits);
  f.timeWritten = UnixSeconds(record.writtenTime ? record.writtenTime : system[EvtSystemTimeCreated].bits);
  if (system[EvtSystemUserID].baseType() == EvtVarTypeSid) f.sid = system[EvtSystemUserID].bytes;
  const formats::EvtxEvent& event = record.event;
  if (const formats::EvtxNode* eventData = event.find({u"EventData"})) {
    for (const formats::EvtxNode* c = event.firstChild(*eventData); c; c = event.next(*c)) {
      if (c->kind != formats::EvtxNodeKind::Element) continue;
      if (event.name(*c) == u"Binary") {
        f.data = BinaryData(event.content(*c));
      } else if (event.name(*c) == u"Data") {
        f.strings.push_back(ValueText(event.content(*c)));
      }
    }
  } else {
    for (const auto& value : formats::GetEvtxUserValues(event)) f.strings.push_back(ValueText(value.value));
  }
  return f;
}

formats::EvtxRecord EventOfClassicRecord(const formats::EvtRecordFields& f) {
  formats::EvtxEventSpec spec;
  spec.provider = f.source;
  spec.eventSourceName = f.source;
  spec.eventId = static_cast<uint16_t>(f.eventId);
  spec.qualifiers = static_cast<uint16_t>(f.eventId >> 16);
  spec.task = f.category;
  spec.level = f.eventType == EVENTLOG_ERROR_TYPE ? 2 : f.eventType == EVENTLOG_WARNING_TYPE ? 3 : 4;
  spec.keywords = 0x0080000000000000ULL;  // the classic keyword
  if (f.eventType == EVENTLOG_AUDIT_SUCCESS || f.eventType == EVENTLOG_AUDIT_FAILURE) {
    spec.level = 0;
    spec.keywords |= f.eventType == EVENTLOG_AUDIT_SUCCESS ? kAuditSuccess : kAuditFailure;
  }
  spec.timeCreated = kUnixEpochAsFileTime + f.timeGenerated * 10000000ULL;
  spec.recordId = f.recordNumber;
  spec.computer = f.computer;
  spec.userSid = f.sid;
  for (const auto& s : f.strings) spec.data.push_back({u"", formats::EvtxValue::String(s)});
  formats::EvtxRecord record = formats::BuildEvtxRecord(spec);
  record.writtenTime = kUnixEpochAsFileTime + f.timeWritten * 10000000ULL;
  return record;
}

std::vector<uint8_t> ClassicRecordOf(const formats::EvtxRecord& record) {
  return formats::BuildEvtRecord(ClassicFieldsOf(record));
}

}  // namespace host
