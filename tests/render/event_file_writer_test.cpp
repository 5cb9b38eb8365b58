#include "render/event_file_writer.h"

#include <cerrno>
#include <cstdio>

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

// Entries of varied length, none or many blocks of them: the file holds them
// all, and is the very gzip stream that one gzwrite per entry makes, however
// the entries were grouped and whichever thread compressed them.
TEST_F(EventFileWriterTest, FilesOfManyBlocksAreTheStreamOfOneWritePerEntry) {
  const std::string reference = ScratchPath("reference.gz");
  for (const int entries : {0, 1, 700, 9000}) {
    gzFile expected = gzopen(reference.c_str(), "wb");
    ASSERT_NE(expected, nullptr);
    EventFileWriter writer;
    ASSERT_TRUE(writer.Open(Wide(path_)));
    uint32_t seed = 7;
    for (int n = 0; n < entries; ++n) {
      std::u16string noise;
      for (int k = n % 400; k > 0; --k) noise.push_back(static_cast<char16_t>(u'A' + (seed = seed * 69069 + 1) % 26));
      writer.WriteUnsignedField(u"EI", static_cast<uint32_t>(n));
      writer.WriteTextField(u"IS01", noise);
      writer.EndEntry();
      const std::string entry = "EI~" + std::to_string(n) + "#IS01~" + cmr::Utf16ToUtf8(noise) + "#\r\n";
      gzwrite(expected, entry.data(), static_cast<unsigned>(entry.size()));
    }
    writer.Close();
    gzclose(expected);
    EXPECT_EQ(rendertest::FileBytes(path_), rendertest::FileBytes(reference)) << entries << " entries";
  }
  std::remove(reference.c_str());
}

TEST_F(EventFileWriterTest, OpenReportsAFileThatCannotBeCreated) {
  EventFileWriter writer;
  errno = 0;
  EXPECT_FALSE(writer.Open(Wide("/nonexistent-folder-ec/x.adevt")));
  EXPECT_NE(errno, 0);
  EXPECT_FALSE(writer.IsOpen());
}

}  // namespace
