#include "render/event_file_writer.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "render/field_text.h"
#include "tests/render/render_test_files.h"

using namespace cmr;

using rendertest::GzipContent;
using rendertest::ScratchPath;
using rendertest::Wide;

namespace {

class EventFileWriterTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_ = ScratchPath("out.adevt");
};

TEST_F(EventFileWriterTest, EntriesAreTaggedFieldsEndedByCrLfInUtf8) {
  EventFileWriter writer;
  ASSERT_TRUE(writer.Open(Wide(path_)));
  writer.WriteTextField(u"ES", u"A");
  writer.WriteTextField(u"EI", u"1");
  writer.EndEntry();
  writer.EndEntry();  // nothing written: no empty line
  writer.WriteTextField(u"ES", u"B\u00E4");
  writer.WriteHex32Field(u"TWN", 0xAB);
  writer.WriteHex64Field(u"RN", 0x1234567890ull);
  writer.WriteUnsignedField(u"NUMSTR", 65535);
  writer.WriteInsertionString(3, u"a~b");
  writer.WriteInsertionString(100, u"x");
  writer.EndEntry();
  writer.WriteTextField(u"ES", u"never ended");
  writer.Close();
  EXPECT_EQ(GzipContent(path_),
            "ES~A#EI~1#\r\n"
            "ES~B\xC3\xA4#TWN~000000AB#RN~0000001234567890#NUMSTR~65535#IS03~a^007Eb#IS100~x#\r\n");
}

// The writer escapes and converts in one pass: its bytes must be those of the
// UTF-16 value formed first and converted as a whole afterwards.
TEST(EventFileWriterFieldTest, FieldBytesAreTheFormedTextConvertedToUtf8) {
  const std::u16string texts[] = {u"",
                                  u"plain",
                                  u"a~b^c#d;e:f\r\n",
                                  std::u16string(u"nul\0in", 6),
                                  u"\u00E4\u07FF\u0800\u20AC",
                                  u"\xD83D\xDE00 pair",
                                  u"lone\xD800",
                                  u"\xDC00lone",
                                  u"\xD800~\xDC00",
                                  u"\xD800\xD800\xDC00\xDC00",
                                  u"\uFFFE\uFFFF\uFDD0\uFDEF\uFDCF\uFDF0\uFFFD"};
  for (const std::u16string& text : texts) {
    const std::pair<FieldForm, std::u16string> forms[] = {
        {FieldForm::AsIs, text},
        {FieldForm::Escaped, EscapeFieldValue(text)},
        {FieldForm::EscapedWithoutNoncharacters, EscapeFieldValue(ReplaceNoncharacters(text))}};
    for (const auto& [form, formed] : forms) {
      EventFileWriter writer;
      writer.WriteTextField(u"T\u00C4G", text, form);
      writer.WriteInsertionString(7, text, form);
      writer.WriteJoinedField(u"J", text, u'\\', text, form);
      std::string value = cmr::Utf16ToUtf8(formed);
      std::string joined = cmr::Utf16ToUtf8(formed + u"\\" + formed);  // converted as one text
      EXPECT_EQ(writer.PendingEntry(), "T\xC3\x84G~" + value + "#IS07~" + value + "#J~" + joined + "#")
          << "form " << static_cast<int>(form) << ", text " << cmr::Utf16ToUtf8(text);
    }
  }
}

TEST_F(EventFileWriterTest, FileWithoutEntriesIsAnEmptyGzipStream) {
  {
    EventFileWriter writer;
    ASSERT_TRUE(writer.Open(Wide(path_)));
  }  // the destructor closes
  bool ok = false;
  EXPECT_EQ(GzipContent(path_, &ok), "");
  EXPECT_TRUE(ok);
  char magic[2] = {};
  std::ifstream(path_, std::ios::binary).read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "\x1F\x8B");
}

TEST_F(EventFileWriterTest, OpenReportsAFileThatCannotBeCreated) {
  EventFileWriter writer;
  errno = 0;
  EXPECT_FALSE(writer.Open(Wide("/nonexistent-folder-ec/x.adevt")));
  EXPECT_NE(errno, 0);
  EXPECT_FALSE(writer.IsOpen());
}

}  // namespace
