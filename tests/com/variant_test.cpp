#include <gtest/gtest.h>

#include <string>

#include "platform/api/oleauto.h"
#include "tests/com/counting_dispatch.h"

namespace {

using comtest::CountingDispatch;
using comtest::Dispatch;
using comtest::I4;
using comtest::Of;
VARIANT Text(const char16_t* s) { return comtest::Bstr(s); }

TEST(Variant, LayoutMatchesWindows) {
  EXPECT_EQ(sizeof(VARIANT), sizeof(void*) == 8 ? 24u : 16u);
  EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
}

// A copy owns its own string; a reference owns nothing, VariantCopyInd
// copies what it points at; an unknown type is refused.
TEST(Variant, CopyDuplicatesStringsAndClearFreesOnlyWhatItOwns) {
  VARIANT a = Text(u"hello");
  VARIANT b = Of(VT_EMPTY);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(b.vt, VT_BSTR);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(a.vt, VT_EMPTY);
  EXPECT_EQ(std::u16string(b.bstrVal), u"hello");  // still its own
  VariantClear(&b);

  BSTR s = SysAllocString(u"owned elsewhere");
  VARIANT ref = Of(VT_BYREF | VT_BSTR);
  ref.pbstrVal = &s;
  ASSERT_EQ(VariantCopyInd(&b, &ref), S_OK);
  EXPECT_EQ(b.vt, VT_BSTR);
  EXPECT_NE(b.bstrVal, s);
  VariantClear(&b);
  VariantClear(&ref);  // does not free s
  EXPECT_EQ(std::u16string(s), u"owned elsewhere");
  SysFreeString(s);
  VARIANT odd = Of(0x7F);
  EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
}

TEST(Variant, InterfacesAreAddRefedOnCopyAndReleasedOnClear) {
  CountingDispatch object;
  VARIANT a = Dispatch(&object);
  object.AddRef();
  VARIANT b = Of(VT_EMPTY);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(object.refs, 3u);
  VARIANT n = I4(1);
  ASSERT_EQ(VariantCopy(&b, &n), S_OK);  // copying over a VARIANT releases what it held
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&a);
  EXPECT_EQ(object.refs, 1u);
}

TEST(VariantChangeType, TextToNumbersAndBool) {
  const struct {
    VARTYPE to;
    const char16_t* text;
    HRESULT hr;
    long long value;
  } cases[] = {
      {VT_I4, u" 42 ", S_OK, 42},
      {VT_I4, u"-17", S_OK, -17},
      {VT_I4, u"2.5", S_OK, 2},  // half to even
      {VT_I4, u"3.5", S_OK, 4},
      {VT_I4, u"&H10", S_OK, 16},
      {VT_I4, u"2147483648", DISP_E_OVERFLOW, 0},
      {VT_UI1, u"256", DISP_E_OVERFLOW, 0},
      {VT_UI4, u"-1", DISP_E_OVERFLOW, 0},
      {VT_I8, u"-9223372036854775808", S_OK, INT64_MIN},
      {VT_I4, u"12abc", DISP_E_TYPEMISMATCH, 0},
      {VT_I4, u"", DISP_E_TYPEMISMATCH, 0},
      {VT_BOOL, u"True", S_OK, VARIANT_TRUE},
      {VT_BOOL, u"false", S_OK, VARIANT_FALSE},
      {VT_BOOL, u"0", S_OK, VARIANT_FALSE},
      {VT_BOOL, u"5", S_OK, VARIANT_TRUE},
      {VT_BOOL, u"maybe", DISP_E_TYPEMISMATCH, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    VARIANT source = Text(c.text), dest{};  // VT_EMPTY, and 0 where a conversion fails
    ASSERT_EQ(VariantChangeType(&dest, &source, 0, c.to), c.hr);
    EXPECT_EQ(dest.vt, c.hr == S_OK ? c.to : VARTYPE{VT_EMPTY});
    EXPECT_EQ(c.to == VT_I8 ? dest.llVal : c.to == VT_BOOL ? dest.boolVal : dest.lVal, c.value);
    VariantClear(&source);
    VariantClear(&dest);
  }
}

TEST(VariantChangeType, ValuesToText) {
  VARIANT yes = Of(VT_BOOL), half = Of(VT_R8), inner = I4(5), ref = Of(VT_BYREF | VT_VARIANT);
  yes.boolVal = VARIANT_TRUE;
  half.dblVal = 0.5;
  ref.pvarVal = &inner;
  const struct {
    VARIANT v;
    USHORT flags;
    std::u16string text;
  } cases[] = {{I4(-123), 0, u"-123"}, {yes, 0, u"-1"},   {yes, VARIANT_ALPHABOOL, u"True"},
               {Of(VT_EMPTY), 0, u""}, {half, 0, u"0.5"}, {ref, 0, u"5"}};
  for (const auto& c : cases) {
    VARIANT dest = Of(VT_EMPTY);
    EXPECT_EQ(VariantChangeType(&dest, &c.v, c.flags, VT_BSTR), S_OK);
    EXPECT_EQ(std::u16string(dest.bstrVal, SysStringLen(dest.bstrVal)), c.text);
    VariantClear(&dest);
  }
  VARIANT v = Text(u"99");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_UI2), S_OK);  // in place: frees the text
  EXPECT_EQ(v.vt, VT_UI2);
  EXPECT_EQ(v.uiVal, 99);
}

TEST(VariantChangeType, ObjectsGiveTheirDefaultValueOrAnInterface) {
  CountingDispatch object;
  VARIANT v = Dispatch(&object), dest = Of(VT_EMPTY), null = Of(VT_NULL);
  ASSERT_EQ(VariantChangeType(&dest, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(dest.lVal, 7);
  EXPECT_EQ(VariantChangeType(&dest, &v, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeType(&dest, &v, 0, VT_UNKNOWN), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&dest);
  EXPECT_EQ(object.refs, 1u);
  EXPECT_EQ(VariantChangeType(&dest, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

}  // namespace
