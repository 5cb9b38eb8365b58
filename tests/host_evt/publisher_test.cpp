// Publisher metadata, event metadata and EvtFormatMessage as the message
// texts of events are read.
#include <vector>

#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/evt_values.h"
#include "tests/support/last_error.h"

namespace wevttest {
namespace {

using testsupport::StringValue;

class PublisherTest : public WevtTest {
 protected:
  void SetUp() override {
    WevtTest::SetUp();
    host::Publisher p;
    p.name = u"Microsoft-Windows-Test";
    p.guid = {0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};
    p.messageFilePath = u"%SystemRoot%\\System32\\test.dll";
    p.events.push_back({4624, 0, 16, 0, 0, 12544, 0x8020000000000000ULL, 0xB0001210u, {}});
    p.events.push_back({4625, 0, 16, 0, 0, 12544, 0x8010000000000000ULL, 0xB0001211u, {}});
    p.messages[0x0409][0xB0001210u] = u"An account was logged on by %1.%n%tStatus: %2";
    p.messages[0x0409][0xB0001211u] = u"Logon failed: %1";
    p.messages[0x0409][1000u] = u"Success\r\n";
    host::Lock lock;
    host::EventLogOf(Local()).AddPublisher(p);
  }

  // Formats message `id` with the given values; returns the error (0 on success).
  DWORD Format(DWORD id, std::vector<EVT_VARIANT> values, std::u16string* text, LCID locale = 0x0409) {
    Handle metadata(EvtOpenPublisherMetadata(nullptr, u"Microsoft-Windows-Test", nullptr, locale, 0));
    EXPECT_TRUE(metadata);
    DWORD used = 0;
    if (!EvtFormatMessage(metadata.get(), nullptr, id, static_cast<DWORD>(values.size()), values.data(),
                          EvtFormatMessageId, 0, nullptr, &used)) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return GetLastError();
    }
    std::vector<WCHAR> buffer(used);
    DWORD result = EvtFormatMessage(metadata.get(), nullptr, id, static_cast<DWORD>(values.size()), values.data(),
                                    EvtFormatMessageId, used, buffer.data(), &used)
                       ? 0
                       : GetLastError();
    if (result != ERROR_INSUFFICIENT_BUFFER) *text = buffer.data();
    return result;
  }
};

TEST_F(PublisherTest, FormatMessageInsertsAndItsErrors) {
  std::u16string text;
  EXPECT_EQ(Format(0xB0001210u, {StringValue(u"alice"), StringValue(u"%%1000")}, &text), 0u);
  EXPECT_EQ(text, u"An account was logged on by alice.\r\n\tStatus: Success");

  // Without values the inserts stay and the call fails with 15029, text made.
  EXPECT_EQ(Format(0xB0001211u, {}, &text), static_cast<DWORD>(ERROR_EVT_UNRESOLVED_VALUE_INSERT));
  EXPECT_EQ(text, u"Logon failed: %1");
  // A parameter reference without a text: 15030, the reference stays.
  EXPECT_EQ(Format(0xB0001211u, {StringValue(u"%%77")}, &text),
            static_cast<DWORD>(ERROR_EVT_UNRESOLVED_PARAMETER_INSERT));
  EXPECT_EQ(text, u"Logon failed: %%77");
  // No text for the id, or none in the locale: 15027.
  EXPECT_EQ(Format(0xB0009999u, {}, &text), static_cast<DWORD>(ERROR_EVT_MESSAGE_NOT_FOUND));
  EXPECT_EQ(Format(1000u, {}, &text, 0x0407), static_cast<DWORD>(ERROR_EVT_MESSAGE_NOT_FOUND));

  EXPECT_EQ(testsupport::ErrorOf(EvtOpenPublisherMetadata(nullptr, u"Nobody", nullptr, 0, 0)),
            static_cast<DWORD>(ERROR_EVT_PUBLISHER_METADATA_NOT_FOUND));
}

TEST_F(PublisherTest, EventMetadataEnumerationFindsTheMessageId) {
  Handle metadata(EvtOpenPublisherMetadata(nullptr, u"Microsoft-Windows-Test", nullptr, 0, 0));
  Handle events(EvtOpenEventMetadataEnum(metadata.get(), 0));
  ASSERT_TRUE(events);
  std::vector<ULONGLONG> buffer(16);
  auto* v = reinterpret_cast<EVT_VARIANT*>(buffer.data());
  DWORD used = 0;
  std::vector<std::pair<DWORD, DWORD>> seen;
  while (EVT_HANDLE event = EvtNextEventMetadata(events.get(), 0)) {
    Handle guard(event);
    ASSERT_TRUE(EvtGetEventMetadataProperty(event, EventMetadataEventID, 0, 128, v, &used));
    DWORD id = v->UInt32Val;
    ASSERT_TRUE(EvtGetEventMetadataProperty(event, EventMetadataEventMessageID, 0, 128, v, &used));
    EXPECT_EQ(v->Type, static_cast<DWORD>(EvtVarTypeUInt32));
    seen.emplace_back(id, v->UInt32Val);
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(seen, (std::vector<std::pair<DWORD, DWORD>>{{4624, 0xB0001210u}, {4625, 0xB0001211u}}));

  ASSERT_TRUE(EvtGetPublisherMetadataProperty(metadata.get(), EvtPublisherMetadataMessageFilePath, 0, 128, v, &used));
  EXPECT_EQ(std::u16string(v->StringVal), u"%SystemRoot%\\System32\\test.dll");
  ASSERT_TRUE(EvtGetPublisherMetadataProperty(metadata.get(), EvtPublisherMetadataPublisherGuid, 0, 128, v, &used));
  EXPECT_EQ(v->GuidVal->Data1, 0x12345678u);
}

TEST_F(PublisherTest, EventMessageUsesTheEventsOwnValues) {
  host::ChannelConfig c;
  c.name = u"Security";
  host::AddChannel(Local(), c);
  auto spec = Spec(4625, u"Microsoft-Windows-Test");
  spec.data = {{u"TargetUserName", formats::EvtxValue::String(u"bob")}};
  host::AppendEvent(Local(), u"Security", spec);
  Handle query(EvtQuery(nullptr, u"Security", nullptr, EvtQueryChannelPath));
  EVT_HANDLE event = nullptr;
  DWORD returned = 0;
  ASSERT_TRUE(EvtNext(query.get(), 1, &event, INFINITE, 0, &returned));
  Handle guard(event);
  Handle metadata(EvtOpenPublisherMetadata(nullptr, u"Microsoft-Windows-Test", nullptr, 0x0409, 0));
  std::vector<WCHAR> buffer(128);
  DWORD used = 0;
  ASSERT_TRUE(EvtFormatMessage(metadata.get(), event, 0, 0, nullptr, EvtFormatMessageEvent, 128, buffer.data(), &used));
  EXPECT_EQ(std::u16string(buffer.data()), u"Logon failed: bob");
}

}  // namespace
}  // namespace wevttest
