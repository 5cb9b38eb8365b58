#include <gtest/gtest.h>

#include <string>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "tests/support/last_error.h"

namespace {

TEST(Utf, SurrogatePairsRoundTripAndInvalidInputIsReplaced) {
  std::string smile = "\xF0\x9F\x98\x80";
  EXPECT_EQ(plat::Utf8ToUtf16(smile), std::u16string({0xD83D, 0xDE00}));
  EXPECT_EQ(plat::Utf16ToUtf8(std::u16string({0xD83D, 0xDE00})), smile);
  // Lone continuation byte, overlong '/', encoded surrogate, truncated sequence.
  EXPECT_EQ(plat::Utf8ToUtf16("a\x80"
                              "b"),
            u"a\uFFFDb");
  EXPECT_EQ(plat::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(plat::Utf8ToUtf16("\xED\xA0\x80z"), u"\uFFFD\uFFFD\uFFFDz");
  EXPECT_EQ(plat::Utf8ToUtf16("x\xE2\x82"), u"x\uFFFD");
  EXPECT_EQ(plat::Utf16ToUtf8(std::u16string({u'a', 0xDC00, u'b', 0xD800})),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_FALSE(plat::IsValidUtf8("\xC3"));
  EXPECT_TRUE(plat::IsValidUtf8("\xEF\xBF\xBD"));
}

TEST(CodePages, Utf8SizeQueryAndAnsiAsWindows1252) {
  const char* text = "caf\xC3\xA9";
  int needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  ASSERT_EQ(needed, 5);
  char16_t wide[5];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 5), 5);
  EXPECT_EQ(std::u16string(wide), u"caf\u00E9");
  EXPECT_LAST_ERROR(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 4), 0, ERROR_INSUFFICIENT_BUFFER);
  EXPECT_LAST_ERROR(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xFF", 1, wide, 5), 0,
                    ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "\x80\xE9\x9F", 3, wide, 4), 3);
  EXPECT_EQ(std::u16string(wide, 3), u"\u20AC\u00E9\u0178");
  char narrow[4];
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u20AC\u4E2D", 2, narrow, 4, nullptr, &usedDefault), 2);
  EXPECT_EQ(std::string(narrow, 2), "\x80?");
  EXPECT_TRUE(usedDefault);
}

}  // namespace
