// Typed values: decoding of Binary XML value data and the text forms.
#include <gtest/gtest.h>

#include <zlib.h>

#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_value.h"

using namespace formats;

namespace {

EvtxValue Decode(uint8_t type, std::vector<uint8_t> data, bool expectOk = true) {
  EvtxValue v;
  EXPECT_EQ(DecodeEvtxValue(type, data, v), expectOk) << "type " << int(type);
  return v;
}

}  // namespace

TEST(EvtxValue, DataOfTheWrongSizeBecomesBinaryAndSignedIntegersAreSignExtended) {
  EvtxValue v = Decode(EvtVarTypeUInt32, {1, 2, 3}, false);
  EXPECT_EQ(v.type, EvtVarTypeBinary);
  EXPECT_EQ(v.bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(Decode(EvtVarTypeSid, {1, 5, 0, 0, 0, 0, 0, 5}, false).type, EvtVarTypeBinary);  // claims 5 parts
  EXPECT_EQ(Decode(EvtVarTypeString, {'a', 0, 'b'}, false).type, EvtVarTypeBinary);
  EXPECT_EQ(Decode(EvtVarTypeUInt16 | EVT_VARIANT_TYPE_ARRAY, {1, 0, 2}, false).type, EvtVarTypeBinary);
  EXPECT_EQ(Decode(EvtVarTypeSByte, {0xff}).asInt64(), -1);
  EXPECT_EQ(Decode(EvtVarTypeInt16, {0xd4, 0xfe}).asInt64(), -300);
  EXPECT_EQ(Decode(EvtVarTypeUInt16, {0xd4, 0xfe}).asUInt64(), 0xfed4u);
  EXPECT_EQ(EvtxValueText(Decode(EvtVarTypeInt32, {0xfb, 0xff, 0xff, 0xff})), u"-5");
}

TEST(EvtxValue, ArraysSplitIntoItems) {
  EvtxValue s = Decode(EvtVarTypeString | EVT_VARIANT_TYPE_ARRAY, {'a', 0, 0, 0, 0, 0, 'b', 0, 'c', 0, 0, 0});
  ASSERT_EQ(s.items.size(), 3u);
  EXPECT_EQ(s.items[0].text, u"a");
  EXPECT_EQ(s.items[1].text, u"");
  EXPECT_EQ(s.items[2].text, u"bc");
  EvtxValue sids =
      Decode(EvtVarTypeSid | EVT_VARIANT_TYPE_ARRAY, {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
  ASSERT_EQ(sids.items.size(), 2u);
  EXPECT_EQ(EvtxValueText(sids.items[0]), u"S-1-5-18");
  EXPECT_EQ(EvtxValueText(sids.items[1]), u"S-1-1");
  std::vector<uint8_t> encoded;
  EncodeEvtxValue(s, encoded);
  EXPECT_EQ(Decode(s.type, encoded), s);
}

TEST(EvtxValue, TextForms) {
  EXPECT_EQ(EvtxFileTimeText(0), u"1601-01-01T00:00:00.0000000Z");
  EXPECT_EQ(EvtxFileTimeText(130270189599735000ull), u"2013-10-23T16:22:39.9735000Z");
  EXPECT_EQ(EvtxValueText(EvtxValue::Integer(EvtVarTypeHexInt64, 0x3e7)), u"0x3e7");
  EXPECT_EQ(EvtxValueText(EvtxValue::Boolean(true)), u"true");
  EXPECT_EQ(EvtxValueText(EvtxValue::Binary({0x0a, 0xff})), u"0AFF");
  SYSTEMTIME st{2020, 2, 6, 29, 23, 59, 58, 7};
  EXPECT_EQ(EvtxValueText(EvtxValue::SystemTime(st)), u"2020-02-29T23:59:58.0070000Z");
  std::vector<uint8_t> sid;
  ASSERT_TRUE(ParseEvtxSid(u"S-1-281474976710655-1", sid));
  EXPECT_EQ(EvtxSidText(sid), u"S-1-0xFFFFFFFFFFFF-1");
  GUID g;
  ASSERT_TRUE(ParseEvtxGuid(u"{54849625-5478-4994-a5ba-3e3b0328c30d}", g));
  EXPECT_EQ(EvtxGuidText(g), u"{54849625-5478-4994-A5BA-3E3B0328C30D}");
  EXPECT_FALSE(ParseEvtxGuid(u"{54849625-5478-4994-a5ba-3e3b0328c30}", g));
}

TEST(EvtxValue, ConversionToRenderTypes) {
  EXPECT_EQ(ConvertEvtxValue(EvtxValue::String(u"4624"), EvtVarTypeUInt16), EvtxValue::Integer(EvtVarTypeUInt16, 4624));
  EXPECT_EQ(ConvertEvtxValue(EvtxValue::String(u"0x8020000000000000"), EvtVarTypeHexInt64).asUInt64(),
            0x8020000000000000ull);
  EXPECT_EQ(ConvertEvtxValue(EvtxValue::String(u"S-1-5-18"), EvtVarTypeSid).type, EvtVarTypeSid);
  EXPECT_TRUE(ConvertEvtxValue(EvtxValue::String(u"four"), EvtVarTypeUInt16).isNull());
  EXPECT_EQ(ConvertEvtxValue(EvtxValue::Integer(EvtVarTypeUInt64, 0x1ffff), EvtVarTypeUInt16).asUInt64(), 0xffffu);
}

// Folded blocks, the bytes left over, any alignment and a continued CRC all
// give zlib's value.
TEST(EvtxCrc32, GivesZlibsValue) {
  std::vector<uint8_t> bytes(1100);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  for (size_t size : {0, 1, 15, 16, 63, 64, 65, 79, 80, 127, 128, 129, 255, 256, 1000, 1024}) {
    for (size_t offset : {0, 1, 7, 13}) {
      const uint8_t* p = bytes.data() + offset;
      const uint32_t expected = static_cast<uint32_t>(::crc32(0, p, static_cast<uInt>(size)));
      EXPECT_EQ(EvtxCrc32({p, size}), expected) << size << " at " << offset;
      EXPECT_EQ(EvtxCrc32({p + size / 3, size - size / 3}, EvtxCrc32({p, size / 3})), expected) << size << " in two";
    }
  }
}
