#include "render/variant_text.h"

#include <gtest/gtest.h>

#include "platform/api/wide.h"
#include "tests/support/evt_values.h"

using namespace cmr;

namespace {

using testsupport::Typed;

BYTE kBytes[] = {0x00, 0x1A, 0xFF};
GUID kGuid{0x54849625, 0x5478, 0x4994, {0xA5, 0xBA, 0x3E, 0x3B, 0x03, 0x28, 0xC3, 0x0D}};
SYSTEMTIME kSystemTime{2020, 1, 4, 2, 3, 4, 5, 678};
BYTE kSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
BYTE kBrokenSid[] = {9, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

TEST(VariantText, TextOfEachType) {
  struct Case {
    DWORD type;
    void (*set)(EVT_VARIANT&);
    const char16_t* text;
  };
  const Case cases[] = {
      {EvtVarTypeSByte, [](EVT_VARIANT& v) { v.SByteVal = -5; }, u"-5"},
      {EvtVarTypeByte, [](EVT_VARIANT& v) { v.ByteVal = 250; }, u"250"},
      {EvtVarTypeInt16, [](EVT_VARIANT& v) { v.Int16Val = -300; }, u"-300"},
      {EvtVarTypeUInt16, [](EVT_VARIANT& v) { v.UInt16Val = 65535; }, u"65535"},
      {EvtVarTypeInt32, [](EVT_VARIANT& v) { v.Int32Val = -2147483647 - 1; }, u"-2147483648"},
      {EvtVarTypeUInt32, [](EVT_VARIANT& v) { v.UInt32Val = 4294967295u; }, u"4294967295"},
      {EvtVarTypeInt64, [](EVT_VARIANT& v) { v.Int64Val = -9000000000ll; }, u"-9000000000"},
      {EvtVarTypeUInt64, [](EVT_VARIANT& v) { v.UInt64Val = 18446744073709551615ull; }, u"18446744073709551615"},
      {EvtVarTypeSingle, [](EVT_VARIANT& v) { v.SingleVal = 1.5f; }, u"1.500000"},
      {EvtVarTypeDouble, [](EVT_VARIANT& v) { v.DoubleVal = -0.25; }, u"-0.250000"},
      {EvtVarTypeBoolean, [](EVT_VARIANT& v) { v.BooleanVal = 1; }, u"1"},
      {EvtVarTypeSizeT, [](EVT_VARIANT& v) { v.SizeTVal = 0x1ABCDEF00ull; }, u"abcdef00"},
      {EvtVarTypeHexInt32, [](EVT_VARIANT& v) { v.UInt32Val = 0xBEEF; }, u"0xbeef"},
      {EvtVarTypeHexInt64, [](EVT_VARIANT& v) { v.UInt64Val = 0x8000000000000000ull; }, u"0x8000000000000000"},
      {EvtVarTypeNull, [](EVT_VARIANT&) {}, u"NULL"},
      {EvtVarTypeString, [](EVT_VARIANT& v) { v.StringVal = plat::W(u"Security"); }, u"Security"},
      {EvtVarTypeAnsiString, [](EVT_VARIANT& v) { v.AnsiStringVal = "narrow"; }, u"narrow"},
      {EvtVarTypeBinary, [](EVT_VARIANT& v) { v.BinaryVal = kBytes, v.Count = 3; }, u"001AFF"},
      {EvtVarTypeGuid, [](EVT_VARIANT& v) { v.GuidVal = &kGuid; }, u"54849625-5478-4994-A5BA-3E3B0328C30D"},
      {EvtVarTypeFileTime, [](EVT_VARIANT& v) { v.FileTimeVal = 116444736000000000ull + 5; },
       u"1970-01-01T00:00:00.000000Z"},
      {EvtVarTypeSysTime, [](EVT_VARIANT& v) { v.SysTimeVal = &kSystemTime; }, u"2020-01-02T03:04:05.678000Z"},
      {EvtVarTypeSid, [](EVT_VARIANT& v) { v.SidVal = kSystemSid, v.Count = sizeof kSystemSid; }, u"S-1-5-18"},
      {EvtVarTypeSid, [](EVT_VARIANT& v) { v.SidVal = kBrokenSid, v.Count = sizeof kBrokenSid; },
       u"090100000000000512000000"},
      // Arrays and types without a text give nothing.
      {EvtVarTypeString | EVT_VARIANT_TYPE_ARRAY, [](EVT_VARIANT&) {}, u""},
      {EvtVarTypeEvtHandle, [](EVT_VARIANT&) {}, u""},
      {22, [](EVT_VARIANT&) {}, u""},
  };
  for (const Case& c : cases) {
    EVT_VARIANT v = Typed(c.type);
    c.set(v);
    EXPECT_EQ(VariantToText(v), c.text) << "type " << c.type;
  }
}

}  // namespace
