#include "tests/formats_evtx/evtx_test_util.h"

#include <cstdio>
#include <fstream>

#include "platform/api/utf.h"
#include "platform/formats/evtx_system.h"
#include "tests/support/testdata.h"

namespace evtxtest {
namespace {

void Json(std::string& out, std::u16string_view text) {
  std::string s = plat::Utf16ToUtf8(text);
  out += '"';
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
}

std::u16string Text(const formats::EvtxValue& v) { return formats::EvtxValueText(v); }

}  // namespace

std::string SamplePath(const std::string& name) {
  std::string path = testsupport::TestdataPath("logs/" + name);
  return std::ifstream(path).good() ? path : std::string();
}

std::string RecordJson(const formats::EvtxRecord& record) {
  formats::EvtxSystem sys = formats::GetEvtxSystem(record.event);
  std::string out = "{\"id\":" + std::to_string(sys[EvtSystemEventRecordId].asUInt64());
  const formats::EvtxValue& created = sys[EvtSystemTimeCreated];
  out += ",\"time\":" + (created.isNull() ? std::string("null") : std::to_string(created.asUInt64()));
  out += ",\"written\":" + std::to_string(record.writtenTime);
  auto field = [&](const char* name, const formats::EvtxValue& v) {
    out += ",\"";
    out += name;
    out += "\":";
    Json(out, Text(v));
  };
  field("provider", sys[EvtSystemProviderName]);
  field("eventId", sys[EvtSystemEventID]);
  field("level", sys[EvtSystemLevel]);
  field("task", sys[EvtSystemTask]);
  field("keywords", sys[EvtSystemKeywords]);
  field("computer", sys[EvtSystemComputer]);
  field("userId", sys[EvtSystemUserID]);
  out += ",\"data\":[";
  bool first = true;
  for (const formats::EvtxUserValue& u : formats::GetEvtxUserValues(record.event)) {
    // The XML view: an element per array item.
    std::vector<formats::EvtxValue> items = u.value.isArray() ? u.value.items : std::vector{u.value};
    if (items.empty()) items.emplace_back();
    for (const formats::EvtxValue& item : items) {
      out += first ? "[" : ",[";
      first = false;
      Json(out, u.name);
      out += ',';
      Json(out, Text(item));
      out += ']';
    }
  }
  out += "]}\n";
  return out;
}

bool HasDiagnostic(const std::vector<std::string>& diagnostics, const std::string& part) {
  for (const std::string& d : diagnostics)
    if (d.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace evtxtest
