#include <cstdio>
#include <span>
#include <vector>

#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/errors.h"
#include "platform/api/eventlog.h"
#include "platform/api/kernel.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_value.h"
#include "platform/host/classic/classic_report.h"
#include "tools/log_file_read.h"

namespace tool {
namespace {

std::u16string Number(uint64_t value) { return cmr::ToTextUnsigned(value); }

std::u16string HexNumber(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", value);
  return cmr::Utf8ToUtf16(text);
}

std::u16string EventTypeText(uint16_t type) {
  const char16_t* name = type == EVENTLOG_ERROR_TYPE         ? u"error"
                         : type == EVENTLOG_WARNING_TYPE     ? u"warning"
                         : type == EVENTLOG_INFORMATION_TYPE ? u"information"
                         : type == EVENTLOG_AUDIT_SUCCESS    ? u"audit success"
                         : type == EVENTLOG_AUDIT_FAILURE    ? u"audit failure"
                         : type == 0                         ? u"success"
                                                             : nullptr;
  return name ? Number(type) + u" (" + name + u")" : Number(type);
}

std::u16string HexBytes(std::span<const uint8_t> bytes) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  for (uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0xF]);
  }
  return text;
}

PrintedRecord Fields(const formats::EvtRecordView& view, bool json) {
  EVENTLOGRECORD h = view.Header();
  PrintedRecord r;
  auto add = [&](const char* name, std::u16string text, bool number = false) {
    PrintedField& f = r.fields.emplace_back();
    f.name = name;
    f.text = std::move(text);
    f.number = number;
  };
  add("RecordNumber", Number(h.RecordNumber), true);
  add("TimeGenerated", json ? Number(h.TimeGenerated) : UnixTimeText(h.TimeGenerated), json);
  add("TimeWritten", json ? Number(h.TimeWritten) : UnixTimeText(h.TimeWritten), json);
  add("EventID", json ? Number(h.EventID) : HexNumber(h.EventID) + u" (" + Number(h.EventID) + u")", json);
  add("EventCode", Number(h.EventID & 0xFFFF), true);
  add("EventType", json ? Number(h.EventType) : EventTypeText(h.EventType), json);
  add("EventCategory", Number(h.EventCategory), true);
  add("SourceName", view.Source());
  add("Computer", view.Computer());
  add("UserSid", formats::EvtxSidText(view.Sid()));
  add("Data", HexBytes(view.Data()));
  r.valuesName = "Strings";
  for (auto& s : view.Strings()) {
    PrintedField& f = r.values.emplace_back();
    f.name = "String " + std::to_string(r.values.size());
    f.text = s;
  }
  return r;
}

// Prints the records of one filled buffer; false when a record's frame is damaged.
bool PrintBuffer(std::span<const uint8_t> bytes, RecordPrinter& printer, Progress& progress, bool json) {
  while (bytes.size() >= sizeof(EVENTLOGRECORD)) {
    uint32_t length = formats::EvtRecordView(bytes).Header().Length;
    if (length < sizeof(EVENTLOGRECORD) || length > bytes.size()) return false;
    printer.Print(Fields(formats::EvtRecordView(bytes.first(length)), json));
    progress.Count("records read:", printer.Count());
    bytes = bytes.subspan(length);
  }
  return bytes.empty();
}

}  // namespace

bool ReadEvtRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, ReadReport& report,
                    std::string* error) {
  HANDLE log = OpenBackupEventLogW(nullptr, path.c_str());
  if (log == nullptr) {
    *error = "cannot open the event log file: " + cmr::Utf16ToUtf8(cmr::Win32ErrorText(GetLastError()));
    return false;
  }
  std::vector<uint8_t> buffer(0x10000);
  bool json = printer.Json();
  bool ok = true;
  for (;;) {
    DWORD read = 0, needed = 0;
    if (!ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
      DWORD e = GetLastError();
      if (e == ERROR_HANDLE_EOF) break;
      if (e == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
        buffer.resize(needed);
        continue;
      }
      *error = "reading stopped after " + std::to_string(printer.Count()) +
               " records: " + cmr::Utf16ToUtf8(cmr::Win32ErrorText(e));
      ok = false;
      break;
    }
    if (!PrintBuffer(std::span<const uint8_t>(buffer.data(), read), printer, progress, json)) {
      *error = "a damaged record after " + std::to_string(printer.Count()) + " records";
      ok = false;
      break;
    }
  }
  host::ClassicReportOf(log, &report.diagnostics, &report.skipped);
  CloseEventLog(log);
  return ok;
}

}  // namespace tool
