#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/format.h"

using cmr::FormatString;
using cmr::FormatStringRuntime;
using cmr::format_detail::CheckFor;

namespace {

std::string N(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(FormatString, TraceFormats) {
  EXPECT_EQ(
      N(FormatString(u"%-5d|%.02d/%.02d/%.04d %.02d:%.02d:%.02d.%03d|%5d|%2d| ", uint32_t{42}, uint16_t{3}, uint16_t{7},
                     uint16_t{2026}, uint16_t{4}, uint16_t{5}, uint16_t{6}, uint16_t{9}, uint32_t{77}, uint32_t{10})),
      "42   |03/07/2026 04:05:06.009|   77|10| ");
  EXPECT_EQ(
      N(FormatString(u"%s trace file (%s). Created at %.02d/%.02d/%.02d %.02d:%.02d:%.02d.\r\n", u"EventCollector", u"",
                     uint16_t{12}, uint16_t{6}, uint16_t{2026}, uint16_t{9}, uint16_t{0}, uint16_t{5})),
      "EventCollector trace file (). Created at 12/06/2026 09:00:05.\r\n");
  EXPECT_EQ(N(FormatString(u"cmr: failed to trace to file %s: err=%d", u"C:\\t.log", uint32_t{5})),
            "cmr: failed to trace to file C:\\t.log: err=5");
  EXPECT_EQ(N(FormatString(u"Cannot obtain system version (%d: %s)", int32_t{6}, u"The handle is invalid.")),
            "Cannot obtain system version (6: The handle is invalid.)");
  EXPECT_EQ(N(FormatString(u"Windows %d.%d.%d, %s, platform: %d", 6u, 1u, 7601u, u"Service Pack 1", 2u)),
            "Windows 6.1.7601, Service Pack 1, platform: 2");
  EXPECT_EQ(
      N(FormatString(u"{%08X-%04X-%04X-%02X%02X}", 0x1234abcdu, uint16_t{0xab}, uint16_t{1}, uint8_t{0xf}, uint8_t{0})),
      "{1234ABCD-00AB-0001-0F00}");
}

TEST(FormatString, FlagsWidthPrecisionAndSizes) {
  EXPECT_EQ(N(FormatString(u"[%5s][%-5s][%.2s]", u"ab", u"ab", u"abcdef")), "[   ab][ab   ][ab]");
  EXPECT_EQ(N(FormatString(u"%S and %s", "narrow", u"wide")), "narrow and wide");
  EXPECT_EQ(N(FormatString(u"%hs|%ls|%c|%C", "n", u"w", u'x', 'y')), "n|w|x|y");
  EXPECT_EQ(N(FormatString(u"%I64x %I64d %lld %I64u", uint64_t{0xABCDEF0123}, int64_t{-5}, int64_t{7},
                           uint64_t{18446744073709551615ull})),
            "abcdef0123 -5 7 18446744073709551615");
  EXPECT_EQ(N(FormatString(u"%+d % d %05d %x %#x %o %hd %I32u %u", 3, 3, -42, 255u, 255u, 8u, 70000, 9u, -1)),
            "+3  3 -0042 ff 0xff 10 4464 9 4294967295");
  EXPECT_EQ(N(FormatString(u"%.3f %f %%", 3.14159, 0.5)), "3.142 0.500000 %");
  EXPECT_EQ(N(FormatString(u"%*d|%-*d|%.*s", 4, 7, 3, 1, 2, u"xyz")), "   7|1  |xy");
  const char16_t* nothing = nullptr;
  EXPECT_EQ(N(FormatString(u"%s", nothing)), "(null)");
  EXPECT_EQ(N(FormatString(u"%s", std::u16string_view(u"view-part", 4))), "view");
}

TEST(FormatString, ArgumentsThatDoNotFitAreRejected) {
  // Literal formats are checked at compile time; the same check at run time:
  static_assert(CheckFor<int>(u"%s")[0] != 0);
  static_assert(CheckFor<const char*>(u"%s")[0] != 0);  // %s wants wide text
  static_assert(CheckFor<const char16_t*>(u"%S")[0] != 0);
  static_assert(CheckFor<int64_t>(u"%d")[0] != 0);  // 64 bits need I64
  static_assert(CheckFor<int>(u"%I64d")[0] != 0);
  static_assert(CheckFor<double>(u"%d")[0] != 0);
  static_assert(CheckFor<int, int>(u"%d")[0] != 0);
  static_assert(CheckFor<>(u"%d")[0] != 0);
  static_assert(CheckFor<int>(u"%q")[0] != 0);
  static_assert(CheckFor<int, const char16_t*>(u"%d %s")[0] == 0);
  EXPECT_THROW(FormatStringRuntime(u"%s", 5), cmr::FormatError);
  EXPECT_THROW(FormatStringRuntime(u"%d %d", 5), cmr::FormatError);
  std::u16string runtimeFormat = u"%d-%s";
  EXPECT_EQ(N(FormatStringRuntime(runtimeFormat.c_str(), 1, u"a")), "1-a");
}

}  // namespace
