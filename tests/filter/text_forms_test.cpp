// Patterns, ID ranges and time texts.
#include <gtest/gtest.h>

#include <stdexcept>

#include "filter/event_filter.h"
#include "filter/wildcard.h"
#include "tests/support/thrown_text.h"

using namespace cmr;

namespace {

TEST(Wildcard, StarsQuestionMarksAndCase) {
  EXPECT_TRUE(WildcardMatch(u"a?c", u"abc"));
  EXPECT_FALSE(WildcardMatch(u"a?c", u"a.c"));
  EXPECT_TRUE(WildcardMatch(u"*", u""));
  EXPECT_TRUE(WildcardMatch(u"a**", u"ab"));
  EXPECT_FALSE(WildcardMatch(u"a**", u"a"));
  EXPECT_TRUE(WildcardMatch(u"*ab", u"aaab")) << "retries after a partial match";
  EXPECT_FALSE(WildcardMatch(u"*ab*c", u"abab"));
  EXPECT_FALSE(WildcardMatch(u"Security", u"security"));
  EXPECT_TRUE(WildcardMatchNoCase(u"microsoft*", u"Microsoft-Windows-Security-Auditing"));
}

TEST(IdRanges, ParsePrintAndContain) {
  IdRangeList r = ParseIdRanges(u"4624,4625,4700-4705");
  EXPECT_TRUE(IdRangesContain(r, 4702));
  EXPECT_FALSE(IdRangesContain(r, 4699));
  EXPECT_EQ(IdRangesToString(r), u"4624,4625,4700-4705");
  EXPECT_EQ(ParseIdRanges(u"1,"), (IdRangeList{{1, 1}, {0, 0}}));
  EXPECT_EQ(IdRangesToString({{0x80000000u, 0x80000000u}}), u"-2147483648");
  EXPECT_EQ(testsupport::ThrownText([&] { ParseIdRanges(u"1,10-5,20", r); }), "Invalid EventID filter");
  EXPECT_EQ(r, (IdRangeList{{1, 1}})) << "the pieces before the bad one stay";
}

TEST(TimeText, ParseAndPrint) {
  uint32_t s = 99;
  ASSERT_TRUE(CEventFilter::ParseTimeToUTC("31.12.2020 23:59:59", s));
  EXPECT_EQ(s, 1609459199u);
  EXPECT_FALSE(CEventFilter::ParseTimeToUTC("1.13.2020 0:0:0", s));
  EXPECT_FALSE(CEventFilter::ParseTimeToUTC("yesterday", s));
  EXPECT_FALSE(CEventFilter::ParseTimeToUTC("31.12.1969 23:59:59", s)) << "no 32-bit value before 1970";
  EXPECT_EQ(s, 1609459199u);
  std::string text;
  ASSERT_TRUE(CEventFilter::UTCtoTimeString(1580526245, text));
  EXPECT_EQ(text, "1.2.2020 3:4:5");
  ASSERT_TRUE(CEventFilter::UTCtoTimeString(UINT32_MAX, text));
  ASSERT_TRUE(CEventFilter::ParseTimeToUTC(text.c_str(), s));
  EXPECT_EQ(s, UINT32_MAX);
}

}  // namespace
