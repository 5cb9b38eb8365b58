// EvtRender: system and user values with their real types, the buffer
// protocol, XML and bookmarks.
#include <algorithm>
#include <vector>

#include "platform/api/utf.h"
#include "platform/host/evt/evt_variant_buffer.h"
#include "render/variant_text.h"
#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/last_error.h"

namespace wevttest {
namespace {

using formats::EvtxValue;

const GUID kGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
const std::vector<uint8_t> kSystemSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18

EvtxValue Ansi(const std::string& text) {
  EvtxValue v;
  v.type = EvtVarTypeAnsiString;
  v.bytes.assign(text.begin(), text.end());
  return v;
}

// One user value of each type, in template order.
std::vector<formats::EvtxUserValue> EveryType() {
  SYSTEMTIME st{2013, 10, 3, 23, 16, 22, 39, 973};
  return {
      {u"Null", EvtxValue::Null()},
      {u"String", EvtxValue::String(u"text ü")},
      {u"Ansi", Ansi("narrow")},
      {u"SByte", EvtxValue::Integer(EvtVarTypeSByte, static_cast<uint64_t>(-5))},
      {u"Byte", EvtxValue::Integer(EvtVarTypeByte, 200)},
      {u"Int16", EvtxValue::Integer(EvtVarTypeInt16, static_cast<uint64_t>(-300))},
      {u"UInt16", EvtxValue::Integer(EvtVarTypeUInt16, 60000)},
      {u"Int32", EvtxValue::Integer(EvtVarTypeInt32, static_cast<uint64_t>(-70000))},
      {u"UInt32", EvtxValue::Integer(EvtVarTypeUInt32, 4000000000u)},
      {u"Int64", EvtxValue::Integer(EvtVarTypeInt64, static_cast<uint64_t>(-5000000000000LL))},
      {u"UInt64", EvtxValue::Integer(EvtVarTypeUInt64, 10000000000000000000ULL)},
      {u"Single", EvtxValue::Single(1.5f)},
      {u"Double", EvtxValue::Double(2.25)},
      {u"Boolean", EvtxValue::Boolean(true)},
      {u"Binary", EvtxValue::Binary({0xDE, 0xAD, 0xBE})},
      {u"Guid", EvtxValue::Guid(kGuid)},
      {u"SizeT", EvtxValue::Integer(EvtVarTypeSizeT, 0x1234)},
      {u"FileTime", EvtxValue::FileTime(130000000000000000ULL)},
      {u"SysTime", EvtxValue::SystemTime(st)},
      {u"Sid", EvtxValue::Sid(kSystemSid)},
      {u"HexInt32", EvtxValue::Integer(EvtVarTypeHexInt32, 0xABCD)},
      {u"HexInt64", EvtxValue::Integer(EvtVarTypeHexInt64, 0x1122334455667788ULL)},
      {u"UInt16Array", EvtxValue::Array(EvtVarTypeUInt16, {EvtxValue::Integer(EvtVarTypeUInt16, 1),
                                                           EvtxValue::Integer(EvtVarTypeUInt16, 65535)})},
      {u"StringArray", EvtxValue::Array(EvtVarTypeString, {EvtxValue::String(u"a"), EvtxValue::String(u"bc")})},
  };
}

class RenderTest : public WevtTest {
 protected:
  void SetUp() override {
    WevtTest::SetUp();
    host::ChannelConfig c;
    c.name = u"Application";
    host::AddChannel(Local(), c);
    auto spec = Spec(4624, u"Microsoft-Windows-Security-Auditing");
    spec.qualifiers = 0x4000;
    spec.userSid = kSystemSid;
    spec.keywords = 0x8020000000000000ULL;
    spec.data = EveryType();
    host::AppendEvent(Local(), u"Application", spec);
    query_ = EvtQuery(nullptr, u"Application", nullptr, EvtQueryChannelPath);
    DWORD returned = 0;
    ASSERT_TRUE(EvtNext(query_, 1, &event_, INFINITE, 0, &returned));
  }
  void TearDown() override {
    EvtClose(event_);
    EvtClose(query_);
    WevtTest::TearDown();
  }

  // Renders with the 122 protocol; the buffer is the exact size asked for.
  std::vector<ULONGLONG> RenderValues(DWORD flags, DWORD* count) {
    Handle context(EvtCreateRenderContext(0, nullptr, flags));
    DWORD used = 0;
    EXPECT_EQ(testsupport::ErrorOf(EvtRender(context.get(), event_, EvtRenderEventValues, 0, nullptr, &used, count)),
              static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GE(used, *count * sizeof(EVT_VARIANT));
    std::vector<ULONGLONG> buffer((used + 7) / 8);
    EXPECT_FALSE(EvtRender(context.get(), event_, EvtRenderEventValues, used - 1, buffer.data(), &used, count));
    EXPECT_TRUE(EvtRender(context.get(), event_, EvtRenderEventValues, used, buffer.data(), &used, count));
    bytes_ = used;
    return buffer;
  }

  EVT_HANDLE query_ = nullptr;
  EVT_HANDLE event_ = nullptr;
  DWORD bytes_ = 0;
};

// Each value as type:text, and whether every pointer points into the buffer.
std::u16string Texts(const std::vector<ULONGLONG>& buffer, DWORD count, DWORD bytes, bool& inside) {
  std::u16string out;
  auto* v = reinterpret_cast<const EVT_VARIANT*>(buffer.data());
  auto* base = reinterpret_cast<const char*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    out += plat::Utf8ToUtf16(std::to_string(v[i].Type)) + u":" + cmr::VariantToText(v[i]) + u" ";
    const bool pointer = v[i].Count > 0 || v[i].Type == EvtVarTypeString || v[i].Type == EvtVarTypeAnsiString ||
                         v[i].Type == EvtVarTypeGuid || v[i].Type == EvtVarTypeSysTime || v[i].Type == EvtVarTypeSid;
    auto* p = reinterpret_cast<const char*>(v[i].BinaryVal);
    if (pointer && v[i].Type != EvtVarTypeNull && (p < base || p >= base + bytes)) inside = false;
  }
  return out;
}

TEST_F(RenderTest, SystemValuesByPropertyIndex) {
  DWORD count = 0;
  auto buffer = RenderValues(EvtRenderContextSystem, &count);
  ASSERT_EQ(count, static_cast<DWORD>(EvtSystemPropertyIdEND));
  bool inside = true;
  EXPECT_EQ(Texts(buffer, count, bytes_, inside),
            u"1:Microsoft-Windows-Security-Auditing 0:NULL 6:4624 6:16384 4:4 6:0 4:0 21:0x8020000000000000 "
            u"17:2012-12-15T00:23:44.000000Z 10:1 0:NULL 0:NULL 8:0 8:0 1:Application 1:WORKSTATION1 19:S-1-5-18 4:0 ");
  EXPECT_TRUE(inside);
  auto* v = reinterpret_cast<const EVT_VARIANT*>(buffer.data());
  EXPECT_EQ(v[EvtSystemTimeCreated].FileTimeVal, Spec(4624).timeCreated);
}

TEST_F(RenderTest, EveryUserValueTypeInTemplateOrder) {
  DWORD count = 0;
  auto buffer = RenderValues(EvtRenderContextUser, &count);
  ASSERT_EQ(count, EveryType().size());
  auto* v = reinterpret_cast<const EVT_VARIANT*>(buffer.data());
  bool inside = true;
  EXPECT_EQ(Texts(buffer, count, bytes_, inside),
            u"0:NULL 1:text \u00fc 2:narrow 3:-5 4:200 5:-300 6:60000 7:-70000 8:4000000000 9:-5000000000000 "
            u"10:10000000000000000000 11:1.500000 12:2.250000 13:1 14:DEADBE 15:12345678-9ABC-DEF0-0102-030405060708 "
            u"16:1234 17:2012-12-14T23:06:40.000000Z 18:2013-10-23T16:22:39.973000Z 19:S-1-5-18 20:0xabcd "
            u"21:0x1122334455667788 134: 129: ");
  EXPECT_TRUE(inside);
  EXPECT_EQ(v[18].SysTimeVal->wMilliseconds, 973);
  EXPECT_EQ(v[19].Count, kSystemSid.size());
  ASSERT_EQ(v[22].Count, 2u);
  EXPECT_EQ(v[22].UInt16Arr[1], 65535);
  ASSERT_EQ(v[23].Count, 2u);
  EXPECT_EQ(std::u16string(v[23].StringArr[1]), u"bc");
  auto* first = reinterpret_cast<const char*>(v[23].StringArr[0]);
  auto* base = reinterpret_cast<const char*>(buffer.data());
  EXPECT_TRUE(first >= base && first < base + bytes_);
}

// Values handed on as their stored bytes are written as their decoded values.
TEST(VariantBuffer, StoredBytesAreWrittenAsTheirDecodedValues) {
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> stored = {
      {EvtVarTypeString, {'a', 0, 'b', 0, 0, 0, 0, 0}}, {EvtVarTypeString, {}}, {EvtVarTypeBoolean, {2, 0, 0, 0}}};
  for (const auto& u : EveryType())
    formats::EncodeEvtxValue(u.value, stored.emplace_back(u.value.type, std::vector<uint8_t>{}).second);
  std::vector<EvtxValue> values(stored.size());
  std::vector<const EvtxValue*> decoded;
  std::vector<formats::EvtxValueRef> refs;
  for (size_t i = 0; i < stored.size(); ++i) {
    const auto& [type, bytes] = stored[i];
    formats::DecodeEvtxValue(type, bytes, values[i]);
    decoded.push_back(&values[i]);
    refs.push_back(formats::EvtxStoredAsIs(type, bytes.size()) ? formats::EvtxValueRef{nullptr, type, bytes}
                                                               : formats::EvtxValueRef::Of(&values[i]));
  }
  EXPECT_EQ(std::count_if(refs.begin(), refs.end(), [](const auto& r) { return !r.value; }), 20);
  std::vector<ULONGLONG> buffer(1024, 0xA5A5A5A5A5A5A5A5ULL);
  DWORD used = 0, usedByRefs = 0;
  ASSERT_EQ(host::WriteVariants(decoded, 8192, buffer.data(), &used), 0u);
  const std::vector<ULONGLONG> expected = buffer;
  std::fill(buffer.begin(), buffer.end(), 0xA5A5A5A5A5A5A5A5ULL);  // alike where nothing is written
  EXPECT_EQ(host::WriteVariants(refs, used - 1, buffer.data(), &usedByRefs), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_EQ(host::WriteVariants(refs, used, buffer.data(), &usedByRefs), 0u);
  EXPECT_EQ(buffer, expected);
}

TEST_F(RenderTest, XmlAndBookmarks) {
  DWORD used = 0, count = 0;
  EXPECT_EQ(testsupport::ErrorOf(EvtRender(nullptr, event_, EvtRenderEventXml, 0, nullptr, &used, &count)),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_EQ(used % 2, 0u);
  std::u16string xml(used / 2, u'\0');
  ASSERT_TRUE(EvtRender(nullptr, event_, EvtRenderEventXml, used, xml.data(), &used, &count));
  EXPECT_NE(xml.find(u"<EventID Qualifiers='16384'>4624</EventID>"), std::u16string::npos) << plat::Utf16ToUtf8(xml);

  Handle mark(EvtCreateBookmark(nullptr));
  ASSERT_TRUE(EvtUpdateBookmark(mark.get(), event_));
  std::u16string text(512, u'\0');
  ASSERT_TRUE(EvtRender(nullptr, mark.get(), EvtRenderBookmark, 1024, text.data(), &used, &count));
  text.resize(used / 2 - 1);
  Handle copy(EvtCreateBookmark(text.c_str()));
  ASSERT_TRUE(copy);
  EXPECT_TRUE(EvtSeek(query_, 0, copy.get(), 0, EvtSeekRelativeToBookmark | EvtSeekStrict));
  EXPECT_EQ(EvtCreateBookmark(u"<NotABookmark/>"), nullptr);
}

}  // namespace
}  // namespace wevttest
