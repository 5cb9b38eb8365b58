#include "tests/formats_evtx/evtx_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/api/utf.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"
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
    Json(out, formats::EvtxValueText(v));
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
      Json(out, formats::EvtxValueText(item));
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

formats::EvtxEventSpec TypicalSpec(uint64_t i) {
  using namespace formats;
  EvtxEventSpec s;
  s.provider = u"Microsoft-Windows-Security-Auditing";
  s.providerGuid = GUID{0x54849625, 0x5478, 0x4994, {0xa5, 0xba, 0x3e, 0x3b, 0x03, 0x28, 0xc3, 0x0d}};
  s.eventId = static_cast<uint16_t>(4624 + i % 3);
  s.qualifiers = static_cast<uint16_t>(i % 2);
  s.timeCreated = 1000 + i;
  s.recordId = 10 + i;
  s.computer = u"HOST";
  s.channel = u"Security";
  s.userSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  s.data = {{u"SubjectUserName", EvtxValue::String(u"user" + std::u16string(i % 5, u'y'))},
            {u"LogonType", EvtxValue::Integer(EvtVarTypeUInt32, i)},
            {u"TargetSid", EvtxValue::Sid({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0})},
            {u"Blob", EvtxValue::Binary({1, 2, 3, static_cast<uint8_t>(i)})},
            {u"Flags", EvtxValue::Integer(EvtVarTypeHexInt64, i * 16)},
            {u"Empty", EvtxValue::Null()},
            {u"", EvtxValue::String(u"unnamed")}};
  return s;
}

formats::EvtxRecord Record(uint64_t id, std::vector<formats::EvtxUserValue> data) {
  formats::EvtxEventSpec s;
  s.provider = u"P";
  s.recordId = id;
  s.data = std::move(data);
  return formats::BuildEvtxRecord(s);
}

std::vector<uint8_t> Written(const std::vector<formats::EvtxRecord>& records) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(formats::WriteEvtx(records, bytes, error)) << error;
  return bytes;
}

std::vector<uint64_t> Ids(const std::vector<uint8_t>& file, std::vector<std::string>* diagnostics) {
  formats::EvtxReadResult read = formats::ReadEvtx(file);
  if (diagnostics) *diagnostics = read.diagnostics;
  std::vector<uint64_t> ids;
  for (const auto& r : read.records) ids.push_back(r.recordId);
  return ids;
}

bool CrossCheck(const std::string& tool, const std::string& path, const std::vector<formats::EvtxRecord>& records,
                std::string& report) {
  if (!testsupport::ToolAvailable(tool == "evtxexport" ? "evtxexport" : "evtx_dump.py")) return false;
  testsupport::TempDir dir;
  const std::string mine = dir.path() + "/mine.jsonl";
  std::ofstream out(mine);
  for (const formats::EvtxRecord& rec : records) out << RecordJson(rec);
  out.close();
  const std::string script = std::string(EC_SOURCE_DIR) + "/tests/formats_evtx/cross_check.py";
  EXPECT_EQ(testsupport::RunCommand("/usr/bin/python3 " + script + " " + tool + " '" + path + "' " + mine, report), 0)
      << path << "\n"
      << report;
  return true;
}

}  // namespace evtxtest
