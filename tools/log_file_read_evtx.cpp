#include <vector>

#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/evt.h"
#include "platform/api/kernel.h"
#include "platform/host/evt/evt_query_report.h"
#include "render/variant_text.h"
#include "tools/log_file_read.h"

namespace tool {
namespace {

constexpr const char* kSystemNames[EvtSystemPropertyIdEND] = {
    "ProviderName", "ProviderGuid", "EventID",     "Qualifiers",    "Level",      "Task",
    "Opcode",       "Keywords",     "TimeCreated", "EventRecordID", "ActivityID", "RelatedActivityID",
    "ProcessID",    "ThreadID",     "Channel",     "Computer",      "UserID",     "Version"};

const char* TypeName(DWORD type) {
  static const char* const kNames[] = {"Null",    "String",  "AnsiString", "SByte",   "Byte",   "Int16",
                                       "UInt16",  "Int32",   "UInt32",     "Int64",   "UInt64", "Single",
                                       "Double",  "Boolean", "Binary",     "Guid",    "SizeT",  "FileTime",
                                       "SysTime", "Sid",     "HexInt32",   "HexInt64"};
  DWORD base = type & ~static_cast<DWORD>(EVT_VARIANT_TYPE_ARRAY);
  if (base < sizeof(kNames) / sizeof(kNames[0])) return kNames[base];
  return base == EvtVarTypeEvtHandle ? "EvtHandle" : base == EvtVarTypeEvtXml ? "EvtXml" : "Unknown";
}

// Whether a value is written as a JSON number: integers a JSON number holds
// exactly (a 64-bit one only up to 2^53: readers' doubles lose digits past
// it); hex, SizeT and the rest are strings.
bool IsNumber(const EVT_VARIANT& v) {
  constexpr uint64_t kExact = uint64_t{1} << 53;
  if (v.Type >= EvtVarTypeSByte && v.Type <= EvtVarTypeUInt32) return true;
  if (v.Type == EvtVarTypeUInt64) return v.UInt64Val <= kExact;
  if (v.Type == EvtVarTypeInt64) return v.Int64Val <= int64_t{kExact} && v.Int64Val >= -int64_t{kExact};
  DWORD base = v.Type & ~static_cast<DWORD>(EVT_VARIANT_TYPE_ARRAY);
  return (v.Type & EVT_VARIANT_TYPE_ARRAY) && base >= EvtVarTypeSByte && base <= EvtVarTypeUInt32;
}

// One element of an array value as a value of its own.
EVT_VARIANT Element(const EVT_VARIANT& array, DWORD i) {
  EVT_VARIANT v{};
  v.Type = array.Type & ~static_cast<DWORD>(EVT_VARIANT_TYPE_ARRAY);
  switch (v.Type) {
    case EvtVarTypeString: v.StringVal = array.StringArr[i]; break;
    case EvtVarTypeSByte: v.SByteVal = array.SByteArr[i]; break;
    case EvtVarTypeByte: v.ByteVal = array.ByteArr[i]; break;
    case EvtVarTypeInt16: v.Int16Val = array.Int16Arr[i]; break;
    case EvtVarTypeUInt16: v.UInt16Val = array.UInt16Arr[i]; break;
    case EvtVarTypeInt32: v.Int32Val = array.Int32Arr[i]; break;
    case EvtVarTypeUInt32:
    case EvtVarTypeHexInt32: v.UInt32Val = array.UInt32Arr[i]; break;
    case EvtVarTypeInt64: v.Int64Val = array.Int64Arr[i]; break;
    case EvtVarTypeUInt64:
    case EvtVarTypeHexInt64: v.UInt64Val = array.UInt64Arr[i]; break;
    case EvtVarTypeBoolean: v.BooleanVal = array.BooleanArr[i]; break;
    case EvtVarTypeGuid: v.GuidVal = &array.GuidArr[i]; break;
    case EvtVarTypeSid: v.SidVal = array.SidArr[i]; break;
    case EvtVarTypeSysTime: v.SysTimeVal = &array.SysTimeArr[i]; break;
    default: v.Type = EvtVarTypeNull;
  }
  return v;
}

PrintedField Field(std::string name, const EVT_VARIANT& v) {
  PrintedField f;
  f.name = std::move(name);
  f.type = TypeName(v.Type);
  f.number = IsNumber(v);
  if ((v.Type & EVT_VARIANT_TYPE_ARRAY) == 0) {
    f.text = cmr::VariantToText(v);
    return f;
  }
  f.array = true;
  for (DWORD i = 0; i < v.Count; ++i) {
    f.items.push_back(cmr::VariantToText(Element(v, i)));
    f.text += (i ? u", " : u"") + f.items.back();
  }
  return f;
}

// The Evt* functions of Wevtapi.dll that reading a file needs.
struct Wevtapi {
  PFN_EvtQuery query = nullptr;
  PFN_EvtNext next = nullptr;
  PFN_EvtCreateRenderContext createRenderContext = nullptr;
  PFN_EvtRender render = nullptr;
  PFN_EvtClose close = nullptr;

  bool Load() {
    HMODULE module = LoadLibraryW(u"Wevtapi.dll");
    if (module == nullptr) return false;
    query = reinterpret_cast<PFN_EvtQuery>(GetProcAddress(module, "EvtQuery"));
    next = reinterpret_cast<PFN_EvtNext>(GetProcAddress(module, "EvtNext"));
    createRenderContext =
        reinterpret_cast<PFN_EvtCreateRenderContext>(GetProcAddress(module, "EvtCreateRenderContext"));
    render = reinterpret_cast<PFN_EvtRender>(GetProcAddress(module, "EvtRender"));
    close = reinterpret_cast<PFN_EvtClose>(GetProcAddress(module, "EvtClose"));
    return query && next && createRenderContext && render && close;
  }
};

// The values of an event in a render context; false with the error.
bool Render(const Wevtapi& api, EVT_HANDLE context, EVT_HANDLE event, std::vector<uint8_t>& buffer, DWORD* count,
            DWORD* error) {
  DWORD used = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (api.render(context, event, EvtRenderEventValues, static_cast<DWORD>(buffer.size()), buffer.data(), &used,
                   count)) {
      return true;
    }
    *error = GetLastError();
    if (*error != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.resize(used);
  }
  return false;
}

class EventReader {
 public:
  EventReader(const Wevtapi& api, RecordPrinter& printer, Progress& progress)
      : api_(api), printer_(printer), progress_(progress) {
    system_ = api.createRenderContext(0, nullptr, EvtRenderContextSystem);
    user_ = api.createRenderContext(0, nullptr, EvtRenderContextUser);
  }
  ~EventReader() {
    if (system_) api_.close(system_);
    if (user_) api_.close(user_);
  }
  bool Ready() const { return system_ && user_; }

  // Prints one event; false with the error of rendering it.
  bool Print(EVT_HANDLE event, DWORD* error) {
    PrintedRecord record;
    DWORD count = 0;
    if (!Render(api_, system_, event, systemBuffer_, &count, error)) return false;
    auto* values = reinterpret_cast<const EVT_VARIANT*>(systemBuffer_.data());
    for (DWORD i = 0; i < count && i < EvtSystemPropertyIdEND; ++i)
      if (values[i].Type != EvtVarTypeNull) record.fields.push_back(Field(kSystemNames[i], values[i]));
    if (!Render(api_, user_, event, userBuffer_, &count, error)) return false;
    values = reinterpret_cast<const EVT_VARIANT*>(userBuffer_.data());
    record.valuesName = "EventData";
    for (DWORD i = 0; i < count; ++i) record.values.push_back(Field("Data " + std::to_string(i + 1), values[i]));
    printer_.Print(record);
    progress_.Count("events read:", printer_.Count());
    return true;
  }

 private:
  const Wevtapi& api_;
  RecordPrinter& printer_;
  Progress& progress_;
  EVT_HANDLE system_ = nullptr;
  EVT_HANDLE user_ = nullptr;
  std::vector<uint8_t> systemBuffer_ = std::vector<uint8_t>(4096);
  std::vector<uint8_t> userBuffer_ = std::vector<uint8_t>(4096);
};

std::string ErrorText(DWORD e) { return cmr::Utf16ToUtf8(cmr::Win32ErrorText(e)); }

}  // namespace

bool ReadEvtxRecords(const std::u16string& path, RecordPrinter& printer, Progress& progress, ReadReport& report,
                     std::string* error) {
  Wevtapi api;
  if (!api.Load()) {
    *error = "the Windows Event Log functions (Wevtapi.dll) are not available";
    return false;
  }
  EventReader reader(api, printer, progress);
  EVT_HANDLE results = api.query(nullptr, path.c_str(), u"*", EvtQueryFilePath | EvtQueryForwardDirection);
  if (!reader.Ready() || results == nullptr) {
    *error = "cannot query the event file: " + ErrorText(GetLastError());
    return false;
  }
  bool ok = true;
  EVT_HANDLE events[32];
  for (;;) {
    DWORD returned = 0;
    if (!api.next(results, 32, events, INFINITE, 0, &returned)) {
      DWORD e = GetLastError();
      if (e != ERROR_NO_MORE_ITEMS) {
        *error = "reading stopped after " + std::to_string(printer.Count()) + " events: " + ErrorText(e);
        ok = false;
      }
      break;
    }
    for (DWORD i = 0; i < returned; ++i) {
      DWORD e = 0;
      if (ok && !reader.Print(events[i], &e)) {
        *error = "event " + std::to_string(printer.Count() + 1) + " cannot be rendered: " + ErrorText(e);
        ok = false;
      }
      api.close(events[i]);
    }
    if (!ok) break;
  }
  host::evt::QueryReport found;
  if (host::evt::QueryReportOf(results, &found)) {
    report.diagnostics = std::move(found.diagnostics);
    report.skipped = found.skipped;
  }
  api.close(results);
  return ok;
}

}  // namespace tool
