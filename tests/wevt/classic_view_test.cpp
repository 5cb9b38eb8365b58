// Events of a channel seen as classic EVENTLOGRECORDs.
#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/classic_view.h"
#include "tests/wevt/wevt_fixture.h"

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
  auto f = view.Fields();
  EXPECT_EQ(f.recordNumber, 7u);
  EXPECT_EQ(f.eventId, 0x80000211u);
  EXPECT_EQ(f.eventType, EVENTLOG_AUDIT_FAILURE);
  EXPECT_EQ(f.category, 2);
  EXPECT_EQ(f.source, u"Security");
  EXPECT_EQ(f.computer, u"HOST1");
  EXPECT_EQ(f.timeGenerated, 1300000000u);
  EXPECT_EQ(f.sid, spec.userSid);
  EXPECT_EQ(f.strings, (std::vector<std::u16string>{u"bob", u"3"}));

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

}  // namespace
}  // namespace wevttest
