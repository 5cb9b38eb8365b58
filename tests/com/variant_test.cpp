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

TEST(Variant, CopyDuplicatesStringsAndClearFreesThem) {
  VARIANT a = Text(u"hello");
  VARIANT b;
  VariantInit(&b);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(b.vt, VT_BSTR);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(std::u16string(b.bstrVal), u"hello");
  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(a.vt, VT_EMPTY);
  EXPECT_EQ(std::u16string(b.bstrVal), u"hello");  // still its own
  VariantClear(&b);
}

TEST(Variant, InterfacesAreAddRefedOnCopyAndReleasedOnClear) {
  CountingDispatch object;
  VARIANT a = Dispatch(&object);
  object.AddRef();
  VARIANT b = Of(VT_EMPTY);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(object.refs, 3u);
  // Copying over a VARIANT releases what it held.
  VARIANT n = I4(1);
  ASSERT_EQ(VariantCopy(&b, &n), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&a);
  EXPECT_EQ(object.refs, 1u);
}

TEST(Variant, ReferencesAreNotOwnedButCopyIndDereferences) {
  BSTR s = SysAllocString(u"owned elsewhere");
  VARIANT ref = Of(VT_BYREF | VT_BSTR);
  ref.pbstrVal = &s;
  VARIANT copy = Of(VT_EMPTY);
  ASSERT_EQ(VariantCopyInd(&copy, &ref), S_OK);
  EXPECT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, s);
  VariantClear(&copy);
  VariantClear(&ref);  // does not free s
  EXPECT_EQ(std::u16string(s), u"owned elsewhere");
  SysFreeString(s);
}

TEST(Variant, ClearRejectsUnknownTypes) {
  VARIANT v = Of(0x7F);
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
}

struct Conversion {
  VARTYPE to;
  const char16_t* text;
  HRESULT hr;
  long long value;
};

TEST(VariantChangeType, TextToNumbersAndBool) {
  const Conversion cases[] = {
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
    VARIANT source = Text(c.text);
    VARIANT dest = Of(VT_EMPTY);
    HRESULT hr = VariantChangeType(&dest, &source, 0, c.to);
    EXPECT_EQ(hr, c.hr) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    if (hr == S_OK) {
      EXPECT_EQ(dest.vt, c.to);
      long long got = c.to == VT_I8 ? dest.llVal : c.to == VT_BOOL ? dest.boolVal : dest.lVal;
      EXPECT_EQ(got, c.value);
    } else {
      EXPECT_EQ(dest.vt, VT_EMPTY);
    }
    VariantClear(&source);
    VariantClear(&dest);
  }
}

std::u16string AsText(VARIANT v, USHORT flags = 0) {
  VARIANT dest = Of(VT_EMPTY);
  EXPECT_EQ(VariantChangeType(&dest, &v, flags, VT_BSTR), S_OK);
  std::u16string s(dest.bstrVal, SysStringLen(dest.bstrVal));
  VariantClear(&dest);
  return s;
}

TEST(VariantChangeType, ValuesToText) {
  EXPECT_EQ(AsText(I4(-123)), u"-123");
  VARIANT b = Of(VT_BOOL);
  b.boolVal = VARIANT_TRUE;
  EXPECT_EQ(AsText(b), u"-1");
  EXPECT_EQ(AsText(b, VARIANT_ALPHABOOL), u"True");
  EXPECT_EQ(AsText(Of(VT_EMPTY)), u"");
  VARIANT r = Of(VT_R8);
  r.dblVal = 0.5;
  EXPECT_EQ(AsText(r), u"0.5");
}

TEST(VariantChangeType, InPlaceAndByReference) {
  VARIANT v = Text(u"99");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_UI2), S_OK);  // frees the text
  EXPECT_EQ(v.vt, VT_UI2);
  EXPECT_EQ(v.uiVal, 99);

  VARIANT inner = I4(5);
  VARIANT ref = Of(VT_BYREF | VT_VARIANT);
  ref.pvarVal = &inner;
  VARIANT dest = Of(VT_EMPTY);
  ASSERT_EQ(VariantChangeType(&dest, &ref, 0, VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(dest.bstrVal), u"5");
  VariantClear(&dest);
}

TEST(VariantChangeType, ObjectsGiveTheirDefaultValueOrAnInterface) {
  CountingDispatch object;
  VARIANT v = Dispatch(&object);
  VARIANT dest = Of(VT_EMPTY);
  ASSERT_EQ(VariantChangeType(&dest, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(dest.lVal, 7);
  EXPECT_EQ(VariantChangeType(&dest, &v, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeType(&dest, &v, 0, VT_UNKNOWN), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&dest);
  EXPECT_EQ(object.refs, 1u);

  VARIANT null = Of(VT_NULL);
  EXPECT_EQ(VariantChangeType(&dest, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

}  // namespace
