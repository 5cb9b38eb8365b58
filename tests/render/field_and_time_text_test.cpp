#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "render/field_text.h"
#include "render/time_text.h"

using namespace cmr;

namespace {

TEST(FieldText, EscapesTheFramingCharactersAndNul) {
  std::u16string text = u"a~b^c#d;e:f\ng\rh";
  text.push_back(u'\0');
  text += u"i\u00E4";
  EXPECT_EQ(EscapeFieldValue(text), u"a^007Eb^005Ec^0023d^003Be^003Af^000Ag^000Dh^0000i\u00E4");
  EXPECT_EQ(UnescapeFieldValue(EscapeFieldValue(text)), text);
}

TEST(FieldText, UnescapeKeepsCaretsWithoutFourHexDigits) {
  EXPECT_EQ(UnescapeFieldValue(u"^00"), u"^00");
  EXPECT_EQ(UnescapeFieldValue(u"^00G1x^0041"), u"^00G1xA");
  EXPECT_EQ(UnescapeFieldValue(u"^007e"), u"~");
}

TEST(FieldText, NoncharactersBecomeTheReplacementCharacter) {
  std::u16string text = u"a\uFFFE\uFFFF\uFDD0\uFDEF\uFDCF\uFDF0\uFFFDz";
  EXPECT_EQ(ReplaceNoncharacters(text), u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFDCF\uFDF0\uFFFDz");
}

constexpr uint64_t kUnixEpoch = 116444736000000000ull;

TEST(TimeText, ClassicTimeUsesDashesAndATrailingZero) {
  EXPECT_EQ(ClassicTimeText(0), u"1970-01-01 00-00-00 0");
  EXPECT_EQ(ClassicTimeText(1700000000), u"2023-11-14 22-13-20 0");
  EXPECT_EQ(ClassicTimeText(0xFFFFFFFFu), u"2106-02-07 06-28-15 0");
}

TEST(TimeText, EventTimeHasMillisecondsAndRaisesForTimesOutOfRange) {
  uint64_t t = UnixSecondsToFileTime(1700000000) + 1234567;  // .1234567 s
  EXPECT_EQ(EventTimeText(t), u"2023-11-14 22-13-20 123");
  EXPECT_THROW(EventTimeText(0x8000000000000000ull), cmr::Win32Exception);
}

TEST(TimeText, IsoTextHasMicroseconds) {
  EXPECT_EQ(FileTimeToIsoText(kUnixEpoch + 12345678), u"1970-01-01T00:00:01.234567Z");
  EXPECT_EQ(FileTimeToIsoText(0), u"1601-01-01T00:00:00.000000Z");
  EXPECT_EQ(FileTimeToIsoText(0x8000000000000000ull), u"");
}

TEST(TimeText, UnixSecondsRoundTrip) {
  EXPECT_EQ(UnixSecondsToFileTime(0), kUnixEpoch);
  EXPECT_EQ(FileTimeToUnixSeconds(kUnixEpoch + 19999999), 1u);
  EXPECT_EQ(FileTimeToUnixSeconds(0), 0u);
}

}  // namespace
