#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"

namespace {

TEST(Bstr, LengthPrefixCountsBytesAndTextIsNullTerminated) {
  BSTR s = SysAllocString(u"abc");
  ASSERT_NE(s, nullptr);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char*>(s) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[3], u'\0');
  SysFreeString(s);
}

TEST(Bstr, EmbeddedNullsKeepTheirLength) {
  const OLECHAR text[] = {u'a', 0, u'b', 0, u'c'};
  BSTR s = SysAllocStringLen(text, 5);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 5u);
  EXPECT_EQ(std::u16string(s, SysStringLen(s)), std::u16string(text, 5));
  EXPECT_EQ(s[5], u'\0');
  SysFreeString(s);
}

TEST(Bstr, ByteLengthStringsMayBeOddAndUninitialised) {
  BSTR s = SysAllocStringByteLen("xyz", 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringByteLen(s), 3u);
  EXPECT_EQ(SysStringLen(s), 1u);
  EXPECT_EQ(std::memcmp(s, "xyz", 4), 0);  // the bytes and a terminating zero
  SysFreeString(s);

  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_EQ(blank[4], u'\0');
  SysFreeString(blank);
}

TEST(Bstr, NullIsAnEmptyText) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(Bstr, ReallocationReplacesTheText) {
  BSTR s = SysAllocString(u"first");
  ASSERT_TRUE(SysReAllocString(&s, u"second text"));
  EXPECT_EQ(std::u16string(s), u"second text");
  ASSERT_TRUE(SysReAllocStringLen(&s, s, 6));  // from its own characters
  EXPECT_EQ(std::u16string(s), u"second");
  EXPECT_EQ(SysStringLen(s), 6u);
  SysFreeString(s);
}

TEST(Bstr, InjectedFailureGivesNull) {
  host::InjectFault("SysAllocString", 1, ERROR_OUTOFMEMORY);
  EXPECT_EQ(SysAllocString(u"x"), nullptr);
  BSTR s = SysAllocString(u"x");
  EXPECT_NE(s, nullptr);
  SysFreeString(s);
  host::ClearFaults();
}

TEST(Bstr, ImpossibleLengthsFail) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
}

}  // namespace
