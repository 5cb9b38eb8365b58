// Events of a channel seen as classic EVENTLOGRECORDs.
#include "platform/host/classic/classic_view.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/evt/evt_query_report.h"
#include "platform/host/files/paths.h"
#include "tests/host_evt/wevt_fixture.h"

namespace wevttest {
namespace {

TEST(ClassicViewTest, EventBecomesARecordWithQualifiedIdStringsAndData) {
  formats::EvtxEventSpec spec;
  spec.provider = u"Microsoft-Windows-Security-Auditing";
  spec.eventSourceName = u"Security";
  spec.eventId = 529;
  spec.qualifiers = 0x8000;
  spec.level = 0;
  spec.task = 2;
  spec.keywords = 0x0010000000000000ULL;  // audit failure
  spec.timeCreated = 116444736000000000ULL + 1300000000ULL * 10000000ULL;
  spec.recordId = 0x100000007ULL;
  spec.computer = u"HOST1";
  spec.userSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  spec.data = {{u"TargetUserName", formats::EvtxValue::String(u"bob")},
               {u"LogonType", formats::EvtxValue::Integer(EvtVarTypeUInt32, 3)}};
  auto bytes = host::ClassicRecordOf(formats::BuildEvtxRecord(spec));
  ASSERT_EQ(formats::CheckEvtRecordFrame(bytes), "");
  formats::EvtRecordView view(bytes);
  EXPECT_TRUE(view.Problems().empty());
  formats::EvtRecordFields expected;
  expected.recordNumber = 7;
  expected.eventId = 0x80000211u;
  expected.eventType = EVENTLOG_AUDIT_FAILURE;
  expected.category = 2;
  expected.source = u"Security";
  expected.computer = u"HOST1";
  expected.timeGenerated = expected.timeWritten = 1300000000u;
  expected.sid = spec.userSid;
  expected.strings = {u"bob", u"3"};
  EXPECT_EQ(view.Fields(), expected);

  spec.eventSourceName.clear();
  spec.qualifiers.reset();
  spec.keywords = 0;
  spec.level = 2;
  spec.data = {{u"", formats::EvtxValue::String(u"disk full")}};
  auto error = formats::EvtRecordView(host::ClassicRecordOf(formats::BuildEvtxRecord(spec))).Fields();
  EXPECT_EQ(error.source, u"Microsoft-Windows-Security-Auditing");
  EXPECT_EQ(error.eventId, 529u);
  EXPECT_EQ(error.eventType, EVENTLOG_ERROR_TYPE);
}

using ClassicFileTest = WevtTest;

TEST_F(ClassicFileTest, ClassicEvtFileIsQueriedAsEvents) {
  std::filesystem::path file = std::filesystem::path(EC_TESTDATA_DIR) / "logs" / "SysEvent.Evt";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sample " << file;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(formats::ReadFileBytes(file.string(), &bytes));
  auto classic = formats::ReadEvtFile(bytes);
  ASSERT_FALSE(classic.records.empty());
  Handle query(EvtQuery(nullptr, host::WindowsPathOf(file.string()).c_str(), nullptr, EvtQueryFilePath));
  ASSERT_TRUE(query) << "error " << GetLastError();
  std::vector<EVT_HANDLE> events(classic.records.size() + 1);
  DWORD returned = 0;
  ASSERT_TRUE(EvtNext(query.get(), static_cast<DWORD>(events.size()), events.data(), INFINITE, 0, &returned));
  ASSERT_EQ(returned, classic.records.size());
  const auto buffer = RenderedValues(events[0]);
  const EVT_VARIANT* v = Variants(buffer);
  auto first = classic.records[0].View().Fields();
  EXPECT_EQ(v[EvtSystemEventRecordId].UInt64Val, first.recordNumber);
  EXPECT_EQ(v[EvtSystemEventID].UInt16Val, first.eventId & 0xFFFF);
  EXPECT_EQ(std::u16string(v[EvtSystemProviderName].StringVal), first.source);
  // Back to the classic view, the fields are the file's own.
  for (const auto& record : classic.records) {
    auto fields = record.View().Fields();
    auto back = host::ClassicFieldsOf(host::EventOfClassicRecord(fields));
    fields.data.clear();  // binary data is not carried over
    ASSERT_EQ(back, fields) << "record " << fields.recordNumber;
  }
  for (auto e : events) {
    if (e) EvtClose(e);
  }
  // Cut inside its records: an export carries those before the cut and
  // reports the damage and the records lost.
  bytes.resize(bytes.size() / 2);
  const std::string cut = (dir_ / "cut.evt").string(), out = (dir_ / "out.evtx").string();
  ASSERT_TRUE(formats::WriteFileBytes(cut, bytes));
  const formats::EvtFile damaged = formats::ReadEvtFile(bytes);
  ASSERT_TRUE(damaged.Damaged());
  ASSERT_TRUE(EvtExportLog(nullptr, host::WindowsPathOf(cut).c_str(), nullptr, host::WindowsPathOf(out).c_str(),
                           EvtExportLogFilePath));
  EXPECT_EQ(formats::ReadEvtxFile(out).records.size(), damaged.records.size());
  const host::evt::QueryReport report = host::evt::LastExportReport();
  EXPECT_EQ(report.skipped, damaged.skipped);
  ASSERT_EQ(report.diagnostics.size(), damaged.diagnostics.size());
  EXPECT_EQ(report.diagnostics[0], damaged.diagnostics[0].Text());
}

}  // namespace
}  // namespace wevttest
