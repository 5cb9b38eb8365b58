#include "render/variant_text.h"

#include <gtest/gtest.h>

#include "platform/api/wide.h"
#include "tests/support/evt_values.h"

using namespace cmr;

namespace {

using testsupport::Typed;

TEST(VariantText, NumbersByType) {
  EVT_VARIANT v = Typed(EvtVarTypeSByte);
  v.SByteVal = -5;
  EXPECT_EQ(VariantToText(v), u"-5");
  v = Typed(EvtVarTypeByte);
  v.ByteVal = 250;
  EXPECT_EQ(VariantToText(v), u"250");
  v = Typed(EvtVarTypeInt16);
  v.Int16Val = -300;
  EXPECT_EQ(VariantToText(v), u"-300");
  v = Typed(EvtVarTypeUInt16);
  v.UInt16Val = 65535;
  EXPECT_EQ(VariantToText(v), u"65535");
  v = Typed(EvtVarTypeInt32);
  v.Int32Val = -2147483647 - 1;
  EXPECT_EQ(VariantToText(v), u"-2147483648");
  v = Typed(EvtVarTypeUInt32);
  v.UInt32Val = 4294967295u;
  EXPECT_EQ(VariantToText(v), u"4294967295");
  v = Typed(EvtVarTypeInt64);
  v.Int64Val = -9000000000ll;
  EXPECT_EQ(VariantToText(v), u"-9000000000");
  v = Typed(EvtVarTypeUInt64);
  v.UInt64Val = 18446744073709551615ull;
  EXPECT_EQ(VariantToText(v), u"18446744073709551615");
  v = Typed(EvtVarTypeSingle);
  v.SingleVal = 1.5f;
  EXPECT_EQ(VariantToText(v), u"1.500000");
  v = Typed(EvtVarTypeDouble);
  v.DoubleVal = -0.25;
  EXPECT_EQ(VariantToText(v), u"-0.250000");
  v = Typed(EvtVarTypeBoolean);
  v.BooleanVal = 1;
  EXPECT_EQ(VariantToText(v), u"1");
  v = Typed(EvtVarTypeSizeT);
  v.SizeTVal = 0x1ABCDEF00ull;
  EXPECT_EQ(VariantToText(v), u"abcdef00");
  v = Typed(EvtVarTypeHexInt32);
  v.UInt32Val = 0xBEEF;
  EXPECT_EQ(VariantToText(v), u"0xbeef");
  v = Typed(EvtVarTypeHexInt64);
  v.UInt64Val = 0x8000000000000000ull;
  EXPECT_EQ(VariantToText(v), u"0x8000000000000000");
}

TEST(VariantText, TextsBinaryAndGuid) {
  EXPECT_EQ(VariantToText(Typed(EvtVarTypeNull)), u"NULL");
  EVT_VARIANT v = Typed(EvtVarTypeString);
  v.StringVal = plat::W(u"Security");
  EXPECT_EQ(VariantToText(v), u"Security");
  v = Typed(EvtVarTypeAnsiString);
  v.AnsiStringVal = "narrow";
  EXPECT_EQ(VariantToText(v), u"narrow");
  BYTE bytes[] = {0x00, 0x1A, 0xFF};
  v = Typed(EvtVarTypeBinary);
  v.BinaryVal = bytes;
  v.Count = 3;
  EXPECT_EQ(VariantToText(v), u"001AFF");
  GUID g{0x54849625, 0x5478, 0x4994, {0xA5, 0xBA, 0x3E, 0x3B, 0x03, 0x28, 0xC3, 0x0D}};
  v = Typed(EvtVarTypeGuid);
  v.GuidVal = &g;
  EXPECT_EQ(VariantToText(v), u"54849625-5478-4994-A5BA-3E3B0328C30D");
}

TEST(VariantText, TimesAndSids) {
  EVT_VARIANT v = Typed(EvtVarTypeFileTime);
  v.FileTimeVal = 116444736000000000ull + 5;
  EXPECT_EQ(VariantToText(v), u"1970-01-01T00:00:00.000000Z");
  SYSTEMTIME st{2020, 1, 4, 2, 3, 4, 5, 678};
  v = Typed(EvtVarTypeSysTime);
  v.SysTimeVal = &st;
  EXPECT_EQ(VariantToText(v), u"2020-01-02T03:04:05.678000Z");

  BYTE system[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  v = Typed(EvtVarTypeSid);
  v.SidVal = system;
  v.Count = sizeof system;
  EXPECT_EQ(VariantToText(v), u"S-1-5-18");
  BYTE broken[] = {9, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  v.SidVal = broken;
  EXPECT_EQ(VariantToText(v), u"090100000000000512000000");
}

TEST(VariantText, ArraysAndUnknownTypesGiveNothing) {
  EVT_VARIANT v = Typed(EvtVarTypeString | EVT_VARIANT_TYPE_ARRAY);
  EXPECT_EQ(VariantToText(v), u"");
  EXPECT_EQ(VariantToText(Typed(EvtVarTypeEvtHandle)), u"");
  EXPECT_EQ(VariantToText(Typed(22)), u"");
}

}  // namespace
