#include "render/record_dump.h"

#include "base/classic_record_text.h"
#include "base/exceptions.h"
#include "platform/api/errors.h"
#include "render/detail_trace.h"
#include "render/field_text.h"
#include "render/insertion_strings.h"
#include "render/time_text.h"
#include "render/variant_text.h"

namespace cmr {

namespace {

// "LC": the name resolved through the collector's cache, else the name itself.
std::u16string LocalComputerText(DumpContext& context, const std::u16string& computer) {
  std::u16string resolved = context.ResolveHostName(computer);
  return resolved.empty() ? computer : resolved;
}

void WriteAccountFields(EventFileWriter& writer, const CSidCache::SidInfo& sid, bool escapeSid) {
  writer.WriteTextField(u"SID", sid.sidString, escapeSid ? FieldForm::Escaped : FieldForm::AsIs);
  writer.WriteJoinedField(u"USER", sid.domain, u'\\', sid.name, FieldForm::Escaped);  // AccountText(sid)
}

struct SystemField {
  const char16_t* tag;
  DWORD index;
  const char16_t* name;
};

// The system value fields after "ES", in their order; "AI" appears twice.
constexpr SystemField kSystemFields[] = {
    {u"QA", EvtSystemQualifiers, u"Qualifiers"},
    {u"EL", EvtSystemLevel, u"Level"},
    {u"EC", EvtSystemTask, u"Task"},
    {u"OC", EvtSystemOpcode, u"Opcode"},
    {u"KW", EvtSystemKeywords, u"Keywords"},
    {u"AI", EvtSystemActivityID, u"ActivityID"},
    {u"RI", EvtSystemRelatedActivityID, u"RelatedActivityID"},
    {u"AI", EvtSystemActivityID, u"ActivityID"},
    {u"VR", EvtSystemVersion, u"Version"},
    {u"COMP", EvtSystemComputer, u"Computer"},
};

}  // namespace

void DumpClassicRecord(EventFileWriter& writer, std::span<const uint8_t> bytes, const CSidCache::SidInfo* sid,
                       const ExtraFields* extra, DumpContext& context) {
  const EVENTLOGRECORD* record = ClassicRecordIn(bytes);
  if (record == nullptr) throw cmr::Win32Exception(ERROR_INVALID_DATA);
  const EVENTLOGRECORD& header = *record;
  ClassicRecordText texts(record);
  DetailTrace trace;
  trace(u"DumpRecord - started");
  trace(u"TimeWritten - %d", header.TimeWritten);
  char16_t time[kEntryTimeChars];
  writer.WriteTextField(u"TW", std::u16string_view(time, PutClassicTimeText(time, header.TimeWritten)));
  writer.WriteHex32Field(u"TWN", header.TimeWritten);
  trace(u"RN - %d", header.RecordNumber);
  writer.WriteHex32Field(u"RN", header.RecordNumber);
  trace(u"EventID - %d", header.EventID);
  writer.WriteUnsignedField(u"EI", header.EventID & 0xFFFF);
  writer.WriteUnsignedField(u"ET", header.EventType);
  writer.WriteUnsignedField(u"EC", header.EventCategory);
  std::u16string_view source = texts.SourceName();
  std::u16string_view computer = texts.ComputerName();
  writer.WriteTextField(u"ES", source);
  writer.WriteTextField(u"COMP", computer, FieldForm::Escaped);
  if (context.ResolveComputerName()) {
    writer.WriteTextField(u"LC", LocalComputerText(context, std::u16string(computer)), FieldForm::Escaped);
  }
  if (sid != nullptr) WriteAccountFields(writer, *sid, true);
  if (extra != nullptr) {
    for (const auto& [tag, value] : *extra) {
      if (!value.empty()) writer.WriteTextField(tag, value, FieldForm::Escaped);
    }
  }
  trace(u"StringOffset=%d, Length=%d, NumStrings=%d", header.StringOffset, header.Length, header.NumStrings);
  writer.WriteUnsignedField(u"NUMSTR", header.NumStrings);
  InsertionStringWriter strings(writer, context, source, DumpKind::Classic, trace);
  ClassicRecordText::Strings walk(record);
  for (std::u16string_view text; walk.Next(text);) strings.Write(text);
  strings.WriteAdded();
  writer.EndEntry();
  context.CountWrittenRecord();
  trace(u"DumpRecord - finished");
}

void DumpRenderedEvent(EventFileWriter& writer, const RenderedEvent& event, const CSidCache::SidInfo* sid,
                       DumpContext& context) {
  DetailTrace trace;
  trace(u"DumpRecord - started");
  char16_t timeText[kEntryTimeChars];
  std::u16string_view time(timeText, PutEventTimeText(timeText, event.TimeCreated()));
  trace(u"TimeWritten - %s", time);
  writer.WriteTextField(u"TW", time);
  writer.WriteHex32Field(u"TWN", static_cast<uint32_t>(event.TimeCreatedUnixSeconds()));
  trace(u"RN - %d", static_cast<uint32_t>(event.RecordId()));
  writer.WriteHex64Field(u"RN", event.RecordId());
  trace(u"EventID - %d", event.EventId());
  writer.WriteUnsignedField(u"EI", event.EventId());
  std::u16string_view provider = event.ProviderNameView();
  trace(u"ProviderName - %s", provider);
  writer.WriteTextField(u"ES", provider, FieldForm::Escaped);
  VariantTextScratch scratch;  // texts of values that are not strings, one at a time
  for (const SystemField& field : kSystemFields) {
    const EVT_VARIANT* value = event.SystemValue(field.index);
    std::u16string_view text = value != nullptr ? VariantTextView(*value, scratch) : std::u16string_view();
    trace(u"%s - %s", field.name, text);
    if (!text.empty()) writer.WriteTextField(field.tag, text);
  }
  if (context.ResolveComputerName()) writer.WriteTextField(u"LC", LocalComputerText(context, event.Computer()));
  if (sid != nullptr) WriteAccountFields(writer, *sid, false);
  writer.WriteUnsignedField(u"NUMSTR", event.UserCount());
  InsertionStringWriter strings(writer, context, provider, DumpKind::EventLog, trace);
  for (DWORD i = 0; i < event.UserCount(); ++i) strings.Write(VariantTextView(event.UserValue(i), scratch));
  strings.WriteAdded();
  writer.EndEntry();
  trace(u"DumpRecord - finished");
}

}  // namespace cmr
