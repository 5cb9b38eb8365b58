// The overwrite-loss warning: its sentence, the GMT times and the estimate
// of hours lost.
#include <gtest/gtest.h>

#include "base/text.h"
#include "task/overwrite_warning.h"

namespace {

TEST(OverwriteWarning, TimesAndHoursLost) {
  const struct {
    uint32_t last, first;
    const char16_t* tail;
  } cases[] = {
      {1577836800, 1577836800 + 7201,
       u"Last collected event: 01/01/2020 00:00:00 (GMT); first new event: 01/01/2020 02:00:01 (GMT); estimated "
       u"loss: 3 hour(s). "},
      {1577836800, 1577836800,
       u"Last collected event: 01/01/2020 00:00:00 (GMT); first new event: 01/01/2020 00:00:00 (GMT); estimated "
       u"loss: 1 hour(s). "},
      {1577836800, 1577836800 - 86400,
       u"Last collected event: 01/01/2020 00:00:00 (GMT); first new event: 12/31/2019 00:00:00 (GMT); estimated "
       u"loss: 1 hour(s). "},
      {1577836800, 0,
       u"Last collected event: 01/01/2020 00:00:00 (GMT); first new event: 01/01/1970 00:00:00 (GMT); estimated "
       u"loss: 1 hour(s). "},
      {0, 0xFFFFFFFFu,
       u"Last collected event: 01/01/1970 00:00:00 (GMT); first new event: 02/07/2106 06:28:15 (GMT); estimated "
       u"loss: 1193047 hour(s). "},
  };
  for (const auto& c : cases) {
    std::u16string text = cmr::OverwriteWarning(u"Security", c.last, c.first);
    SCOPED_TRACE(cmr::Utf16ToUtf8(text));
    EXPECT_EQ(text,
              std::u16string(u"Security log overwrites occurred on this computer since the last collection. Please "
                             u"increase the maximum size of the Security event log. ") +
                  c.tail);
  }
}

}  // namespace
