#include <gtest/gtest.h>

#include "base/com/enum_variant.h"
#include "tests/com/counting_dispatch.h"

namespace {

struct Items {
  VARIANT v[3];
  Items() {
    for (LONG i = 0; i < 3; ++i) v[i] = comtest::I4(10 + i);
  }
};

TEST(EnumVariant, NextReportsFewerItemsWithSFalseAndTheCount) {
  Items items;
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(items.v, 3, &e), S_OK);
  VARIANT out[2];
  ULONG fetched = 99;
  EXPECT_EQ(e->Next(2, out, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(out[0].lVal, 10);
  EXPECT_EQ(out[1].lVal, 11);
  EXPECT_EQ(e->Next(2, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(out[0].lVal, 12);
  EXPECT_EQ(e->Next(1, out, nullptr), S_FALSE);
  EXPECT_EQ(e->Next(2, out, nullptr), E_POINTER);  // a count is needed for more than one
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(2), S_OK);
  EXPECT_EQ(e->Skip(5), S_FALSE);
  EXPECT_EQ(e->Next(1, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  e->Release();
}

TEST(EnumVariant, CloneMovesIndependently) {
  Items items;
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(items.v, 3, &e), S_OK);
  VARIANT out;
  e->Next(1, &out, nullptr);
  IEnumVARIANT* clone = nullptr;
  ASSERT_EQ(e->Clone(&clone), S_OK);
  e->Release();  // the clone keeps the copied items
  ASSERT_EQ(clone->Next(1, &out, nullptr), S_OK);
  EXPECT_EQ(out.lVal, 11);
  IEnumVARIANT* second = nullptr;
  ASSERT_EQ(clone->Clone(&second), S_OK);
  clone->Reset();
  ASSERT_EQ(second->Next(1, &out, nullptr), S_OK);
  EXPECT_EQ(out.lVal, 12);
  ASSERT_EQ(clone->Next(1, &out, nullptr), S_OK);
  EXPECT_EQ(out.lVal, 10);
  clone->Release();
  second->Release();
}

TEST(EnumVariant, CopiedObjectsAreOwnedAndHandedOutWithAReference) {
  comtest::CountingDispatch object;
  VARIANT item = comtest::Dispatch(&object);
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(&item, 1, &e), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VARIANT out;
  ASSERT_EQ(e->Next(1, &out, nullptr), S_OK);
  EXPECT_EQ(out.pdispVal, &object);
  EXPECT_EQ(object.refs, 3u);
  VariantClear(&out);
  e->Release();
  EXPECT_EQ(object.refs, 1u);
}

TEST(EnumVariant, SharedItemsKeepTheirOwnerAlive) {
  comtest::CountingDispatch owner;
  Items items;
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(com::EnumVariant::Share(items.v, 3, &owner, &e), S_OK);
  EXPECT_EQ(owner.refs, 2u);
  IEnumVARIANT* clone = nullptr;
  e->Clone(&clone);
  e->Release();
  EXPECT_EQ(owner.refs, 2u);
  items.v[1].lVal = 99;  // not copied: the enumerator sees the owner's array
  VARIANT out[3];
  ULONG fetched = 0;
  clone->Next(3, out, &fetched);
  EXPECT_EQ(out[1].lVal, 99);
  clone->Release();
  EXPECT_EQ(owner.refs, 1u);
}

}  // namespace
