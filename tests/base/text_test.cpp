#include <gtest/gtest.h>

#include <climits>

#include "base/text.h"

using namespace cmr;

namespace {

TEST(Text, CaseFoldingIsTheCLocales) {
  EXPECT_EQ(CompareNoCase(u"Security", u"SECURITY"), 0);
  EXPECT_LT(CompareNoCase(u"a", u"B"), 0);
  EXPECT_GT(CompareNoCase(u"abc", u"AB"), 0);
  // Only A-Z fold in the "C" locale: U+00C4 and U+00E4 differ.
  EXPECT_NE(CompareNoCase(u"\u00C4", u"\u00E4"), 0);
  // Letters fold to lower case: 'z' (0x7A) sorts after '_' (0x5F).
  EXPECT_GT(CompareNoCase(u"Z", u"_"), 0);
  EXPECT_EQ(ToLowerC(u"MiXeD-Ä"), u"mixed-Ä");
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength(u"four"), 4u);
}

TEST(Text, Utf8RoundTripAndRepair) {
  std::u16string text = u"a\u00E4\u20AC\U0001F600";
  EXPECT_EQ(Utf16ToUtf8(text), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");  // cut sequence
  EXPECT_EQ(Utf8ToUtf16("\xFF"
                        "b"),
            u"\uFFFD"
            u"b");                                                              // invalid byte
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(Text, CrtNumberParsing) {
  EXPECT_EQ(ParseInt32(u"  -42xyz"), -42);
  EXPECT_EQ(ParseInt32(u"+7"), 7);
  EXPECT_EQ(ParseInt32(u"abc"), 0);
  EXPECT_EQ(ParseInt32(u"99999999999"), INT32_MAX);
  EXPECT_EQ(ParseInt32(u"-99999999999"), INT32_MIN);
  EXPECT_EQ(ParseInt64(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseInt64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseInt64(u"-1"), -1);
  size_t end = 99;
  EXPECT_EQ(ParseUInt32(u"0x1F", 0, &end), 0x1Fu);
  EXPECT_EQ(end, 4u);
  EXPECT_EQ(ParseUInt32(u"017", 0), 15u);
  EXPECT_EQ(ParseUInt32(u"ff", 16), 255u);
  EXPECT_EQ(ParseUInt32(u"-1"), 0xFFFFFFFFu);  // negated in unsigned arithmetic
  EXPECT_EQ(ParseUInt32(u"4294967296"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUInt32(u"x", 10, &end), 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(ParseUInt64(u"18446744073709551615"), UINT64_MAX);
}

}  // namespace
