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

std::vector<LONG> Next(IEnumVARIANT* e, ULONG count, HRESULT expected) {
  VARIANT out[3];
  ULONG fetched = 99;
  EXPECT_EQ(e->Next(count, out, &fetched), expected);
  std::vector<LONG> values;
  for (ULONG i = 0; i < fetched; ++i) values.push_back(out[i].lVal);
  return values;
}

TEST(EnumVariant, NextReportsFewerItemsWithSFalseAndTheCount) {
  Items items;
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(items.v, 3, &e), S_OK);
  EXPECT_EQ(Next(e, 2, S_OK), (std::vector<LONG>{10, 11}));
  EXPECT_EQ(Next(e, 2, S_FALSE), (std::vector<LONG>{12}));
  VARIANT out[2];
  EXPECT_EQ(e->Next(1, out, nullptr), S_FALSE);
  EXPECT_EQ(e->Next(2, out, nullptr), E_POINTER);  // a count is needed for more than one
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(2), S_OK);
  EXPECT_EQ(e->Skip(5), S_FALSE);
  EXPECT_EQ(Next(e, 1, S_FALSE), std::vector<LONG>{});
  e->Release();
}

TEST(EnumVariant, CloneMovesIndependently) {
  Items items;
  IEnumVARIANT *e = nullptr, *clone = nullptr, *second = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(items.v, 3, &e), S_OK);
  Next(e, 1, S_OK);
  ASSERT_EQ(e->Clone(&clone), S_OK);
  e->Release();  // the clone keeps the copied items
  EXPECT_EQ(Next(clone, 1, S_OK), std::vector<LONG>{11});
  ASSERT_EQ(clone->Clone(&second), S_OK);
  clone->Reset();
  EXPECT_EQ(Next(second, 1, S_OK), std::vector<LONG>{12});
  EXPECT_EQ(Next(clone, 1, S_OK), std::vector<LONG>{10});
  clone->Release();
  second->Release();
}

// Copied objects are owned and handed out with a reference; shared items
// keep their owner alive and are seen as the owner changes them.
TEST(EnumVariant, CopiedObjectsAreOwnedAndSharedItemsKeepTheirOwnerAlive) {
  comtest::CountingDispatch object, owner;
  VARIANT item = comtest::Dispatch(&object), out[3];
  IEnumVARIANT *e = nullptr, *clone = nullptr;
  ASSERT_EQ(com::EnumVariant::Copy(&item, 1, &e), S_OK);
  EXPECT_EQ(object.refs, 2u);
  ASSERT_EQ(e->Next(1, out, nullptr), S_OK);
  EXPECT_EQ(out[0].pdispVal, &object);
  EXPECT_EQ(object.refs, 3u);
  VariantClear(&out[0]);
  e->Release();
  EXPECT_EQ(object.refs, 1u);

  Items items;
  ASSERT_EQ(com::EnumVariant::Share(items.v, 3, &owner, &e), S_OK);
  EXPECT_EQ(owner.refs, 2u);
  e->Clone(&clone);
  e->Release();
  EXPECT_EQ(owner.refs, 2u);
  items.v[1].lVal = 99;
  EXPECT_EQ(Next(clone, 3, S_OK), (std::vector<LONG>{10, 99, 12}));
  clone->Release();
  EXPECT_EQ(owner.refs, 1u);
}

}  // namespace
