#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"

namespace {

// Each allocation: the byte length before the text, the characters, and a
// zero after them; an allocation without a source leaves its text unset.
TEST(Bstr, LengthPrefixCountsBytesAndTextIsNullTerminated) {
  const OLECHAR embedded[] = {u'a', 0, u'b', 0, u'c'};
  const struct {
    const char* name;
    BSTR s;
    uint32_t chars, bytes;
    std::string content;  // little-endian; none when unset
  } cases[] = {
      {"text", SysAllocString(u"abc"), 3, 6, std::string("a\0b\0c\0", 6)},
      {"embedded nulls", SysAllocStringLen(embedded, 5), 5, 10, std::string("a\0\0\0b\0\0\0c\0", 10)},
      {"odd byte length", SysAllocStringByteLen("xyz", 3), 1, 3, "xyz"},
      {"no source", SysAllocStringLen(nullptr, 4), 4, 8, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.s, nullptr);
    const char* bytes = reinterpret_cast<const char*>(c.s);
    uint32_t prefix;
    std::memcpy(&prefix, bytes - 4, 4);
    EXPECT_EQ(prefix, c.bytes);
    EXPECT_EQ(SysStringLen(c.s), c.chars);
    EXPECT_EQ(SysStringByteLen(c.s), c.bytes);
    if (!c.content.empty()) {
      EXPECT_EQ(std::string(bytes, c.bytes), c.content);
    }
    EXPECT_EQ(bytes[c.bytes], 0);
    EXPECT_EQ(bytes[c.bytes + 1 - c.bytes % 2], 0);  // of an even length, a whole zero character
    SysFreeString(c.s);
  }
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

// Null is an empty text; impossible lengths and injected failures give null.
TEST(Bstr, NullImpossibleLengthsAndInjectedFailures) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
  host::InjectFault("SysAllocString", 1, ERROR_OUTOFMEMORY);
  EXPECT_EQ(SysAllocString(u"x"), nullptr);
  BSTR s = SysAllocString(u"x");  // the fault was for one call
  EXPECT_NE(s, nullptr);
  SysFreeString(s);
  host::ClearFaults();
}

}  // namespace
