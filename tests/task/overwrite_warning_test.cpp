// The overwrite-loss warning: its sentence, the GMT times and the estimate
// of hours lost.
#include <gtest/gtest.h>

#include "base/text.h"
#include "task/overwrite_warning.h"

namespace {

TEST(OverwriteWarning, TimesAndHoursLost) {
  const struct {
    uint32_t last, first;
    const char16_t *lastText, *firstText, *hours;
  } cases[] = {
      {1577836800, 1577836800 + 7201, u"01/01/2020 00:00:00", u"01/01/2020 02:00:01", u"3"},
      {1577836800, 1577836800, u"01/01/2020 00:00:00", u"01/01/2020 00:00:00", u"1"},
      {1577836800, 1577836800 - 86400, u"01/01/2020 00:00:00", u"12/31/2019 00:00:00", u"1"},
      {1577836800, 0, u"01/01/2020 00:00:00", u"01/01/1970 00:00:00", u"1"},
      {0, 0xFFFFFFFFu, u"01/01/1970 00:00:00", u"02/07/2106 06:28:15", u"1193047"},
  };
  for (const auto& c : cases) {
    std::u16string text = cmr::OverwriteWarning(u"Security", c.last, c.first);
    SCOPED_TRACE(cmr::Utf16ToUtf8(text));
    EXPECT_EQ(text, std::u16string(u"Security log overwrites occurred on this computer since the last collection. "
                                   u"Please increase the maximum size of the Security event log. Last collected "
                                   u"event: ") +
                        c.lastText + u" (GMT); first new event: " + c.firstText + u" (GMT); estimated loss: " +
                        c.hours + u" hour(s). ");
  }
}

}  // namespace
