#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/api/oleauto.h"
#include "tests/com/counting_dispatch.h"

namespace {

using comtest::CountingDispatch;

std::pair<LONG, LONG> Bounds(SAFEARRAY* array, UINT dimension) {
  LONG lower = 99, upper = 99;
  EXPECT_EQ(SafeArrayGetLBound(array, dimension, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, dimension, &upper), S_OK);
  return {lower, upper};
}

TEST(SafeArray, DispatchElementsAreAddRefedOnPutAndReleasedOnDestroy) {
  CountingDispatch a, b;
  SAFEARRAY* array = SafeArrayCreateVector(VT_DISPATCH, 0, 2);
  ASSERT_NE(array, nullptr);
  VARTYPE vt = 0;
  EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
  EXPECT_EQ(vt, VT_DISPATCH);
  LONG i = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &i, static_cast<IDispatch*>(&a)), S_OK);
  EXPECT_EQ(a.refs, 2u);
  ASSERT_EQ(SafeArrayPutElement(array, &i, static_cast<IDispatch*>(&b)), S_OK);  // replaces a
  EXPECT_EQ(a.refs, 1u);
  EXPECT_EQ(b.refs, 2u);
  IDispatch* got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(array, &i, &got), S_OK);
  EXPECT_EQ(got, &b);
  EXPECT_EQ(b.refs, 3u);
  got->Release();
  i = 2;
  EXPECT_EQ(SafeArrayPutElement(array, &i, static_cast<IDispatch*>(&a)), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(b.refs, 1u);
}

TEST(SafeArray, LockedArrayCannotBeDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  static_cast<LONG*>(data)[2] = 42;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  LONG i = 2, value = 0;
  EXPECT_EQ(SafeArrayGetElement(array, &i, &value), S_OK);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, BoundsAndDimensions) {
  SAFEARRAYBOUND bounds[2] = {{3, 1}, {4, -2}};  // leftmost first
  SAFEARRAY* array = SafeArrayCreate(VT_I2, 2, bounds);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(SafeArrayGetDim(array), 2u);
  EXPECT_EQ(Bounds(array, 1), std::make_pair(LONG{1}, LONG{3}));
  EXPECT_EQ(Bounds(array, 2), std::make_pair(LONG{-2}, LONG{1}));
  LONG lo = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 3, &lo), DISP_E_BADINDEX);
  for (LONG r = 1; r <= 3; ++r)  // every cell is distinct
    for (LONG c = -2; c <= 1; ++c) {
      LONG at[2] = {c, r};  // rightmost dimension first
      SHORT v = static_cast<SHORT>(r * 10 + c);
      ASSERT_EQ(SafeArrayPutElement(array, at, &v), S_OK);
    }
  LONG at[2] = {1, 2};
  SHORT v = 0;
  SafeArrayGetElement(array, at, &v);
  EXPECT_EQ(v, 21);
  SafeArrayDestroy(array);
  SAFEARRAY* empty = SafeArrayCreateVector(VT_DISPATCH, 0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Bounds(empty, 1), std::make_pair(LONG{0}, LONG{-1}));
  SafeArrayDestroy(empty);
}

// An array holds its own copies of strings, and a VARIANT holding an array
// owns it: copied deeply, its objects referenced once more.
TEST(SafeArray, ArraysOwnTheirStringsAndVariantsTheirArrays) {
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 1);
  BSTR s = SysAllocString(u"abc");
  LONG i = 0;
  ASSERT_EQ(SafeArrayPutElement(texts, &i, s), S_OK);
  SysFreeString(s);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(texts, &copy), S_OK);
  SafeArrayDestroy(texts);
  BSTR got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy, &i, &got), S_OK);
  EXPECT_EQ(std::u16string(got), u"abc");
  SysFreeString(got);
  SafeArrayDestroy(copy);

  CountingDispatch object;
  VARIANT item = comtest::Dispatch(&object), holder = comtest::Of(VT_ARRAY | VT_VARIANT), deep = comtest::Of(VT_EMPTY);
  holder.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  ASSERT_EQ(SafeArrayPutElement(holder.parray, &i, &item), S_OK);
  EXPECT_EQ(object.refs, 2u);
  ASSERT_EQ(VariantCopy(&deep, &holder), S_OK);
  EXPECT_EQ(object.refs, 3u);
  VariantClear(&holder);
  VariantClear(&deep);
  EXPECT_EQ(object.refs, 1u);
}

}  // namespace
