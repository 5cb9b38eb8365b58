#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "render/field_text.h"
#include "render/number_text.h"
#include "render/time_text.h"

using namespace cmr;

namespace {

// The framing characters and NUL are escaped, and read back; a caret
// without four hex digits stays; noncharacters become U+FFFD.
TEST(FieldText, EscapesTheFramingCharactersAndNulAndReplacesNoncharacters) {
  std::u16string text = u"a~b^c#d;e:f\ng\rh";
  text.push_back(u'\0');
  text += u"i\u00E4";
  EXPECT_EQ(EscapeFieldValue(text), u"a^007Eb^005Ec^0023d^003Be^003Af^000Ag^000Dh^0000i\u00E4");
  EXPECT_EQ(UnescapeFieldValue(EscapeFieldValue(text)), text);
  EXPECT_EQ(UnescapeFieldValue(u"^00"), u"^00");
  EXPECT_EQ(UnescapeFieldValue(u"^00G1x^0041"), u"^00G1xA");
  EXPECT_EQ(UnescapeFieldValue(u"^007e"), u"~");
  EXPECT_EQ(ReplaceNoncharacters(u"a\uFFFE\uFFFF\uFDD0\uFDEF\uFDCF\uFDF0\uFFFDz"),
            u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFDCF\uFDF0\uFFFDz");
}

TEST(NumberText, DecimalDigitsArePaddedToTheWidthAsked) {
  struct Case {
    uint64_t value;
    int minDigits;
    std::u16string_view text;
  };
  const Case cases[] = {
      {0, 1, u"0"},
      {7, 2, u"07"},
      {5, 4, u"0005"},
      {99, 3, u"099"},
      {100, 1, u"100"},
      {1009, 1, u"1009"},
      {12345, 1, u"12345"},
      {1000000, 6, u"1000000"},
      {42, 20, u"00000000000000000042"},
      {UINT64_MAX, 1, u"18446744073709551615"},
  };
  for (const Case& c : cases) {
    char16_t units[kMaxDecimalDigits];
    EXPECT_EQ(std::u16string_view(units, PutUnsigned(units, c.value, c.minDigits)), c.text) << c.value;
    char bytes[kMaxDecimalDigits];
    EXPECT_EQ(std::u16string(bytes, PutUnsigned(bytes, c.value, c.minDigits)), c.text) << c.value;
  }
}

constexpr uint64_t kUnixEpoch = 116444736000000000ull;

// The calendar is computed, not asked of the system: leap years of every
// kind, the ends of the 32-bit classic range and of the FILETIME range.
TEST(TimeText, ClassicTimeUsesDashesAndATrailingZero) {
  const std::pair<uint32_t, std::u16string_view> cases[] = {
      {0, u"1970-01-01 00-00-00 0"},           {1700000000, u"2023-11-14 22-13-20 0"},
      {951782399, u"2000-02-28 23-59-59 0"},  // 2000: a leap year of a 400th year
      {951782400, u"2000-02-29 00-00-00 0"},   {951868800, u"2000-03-01 00-00-00 0"},
      {1078012800, u"2004-02-29 00-00-00 0"},  {1009843199, u"2001-12-31 23-59-59 0"},
      {0xFFFFFFFFu, u"2106-02-07 06-28-15 0"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(ClassicTimeText(seconds), text) << seconds;
}

TEST(TimeText, EventAndIsoTextsOfFileTimes) {
  struct Case {
    uint64_t fileTime;
    std::u16string_view event;  // empty: raises
    std::u16string_view iso;
  };
  const uint64_t t = UnixSecondsToFileTime(1700000000) + 1234567;  // .1234567 s
  const Case cases[] = {
      {t, u"2023-11-14 22-13-20 123", u"2023-11-14T22:13:20.123456Z"},
      {kUnixEpoch + 12345678, u"1970-01-01 00-00-01 234", u"1970-01-01T00:00:01.234567Z"},
      {0, u"1601-01-01 00-00-00 000", u"1601-01-01T00:00:00.000000Z"},
      {UnixSecondsToFileTime(4107542400), u"2100-03-01 00-00-00 000",
       u"2100-03-01T00:00:00.000000Z"},  // 2100: no leap day
      {94405824000000000ull, u"1900-03-01 00-00-00 000", u"1900-03-01T00:00:00.000000Z"},
      // The last day that goes back to a FILETIME, and the year after it, which has no ISO text.
      {9223149887999999999ull, u"30827-12-31 23-59-59 999", u"30827-12-31T23:59:59.999999Z"},
      {9223149888000000000ull, u"30828-01-01 00-00-00 000", u""},
      {0x7FFFFFFFFFFFFFFFull, u"30828-09-14 02-48-05 477", u""},
      {0x8000000000000000ull, u"", u""},
  };
  EXPECT_EQ(UnixSecondsToFileTime(0), kUnixEpoch);
  EXPECT_EQ(FileTimeToUnixSeconds(kUnixEpoch + 19999999), 1u);
  EXPECT_EQ(FileTimeToUnixSeconds(0), 0u);
  for (const Case& c : cases) {
    if (c.event.empty()) EXPECT_THROW(EventTimeText(c.fileTime), cmr::Win32Exception) << c.fileTime;
    else EXPECT_EQ(EventTimeText(c.fileTime), c.event) << c.fileTime;
    EXPECT_EQ(FileTimeToIsoText(c.fileTime), c.iso) << c.fileTime;
  }
}

}  // namespace
