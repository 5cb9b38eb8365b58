#include "render/event_file_reader.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "render/event_file_print.h"
#include "render/event_file_writer.h"
#include "render/field_text.h"
#include "tests/render/render_test_files.h"

namespace {

class EventFileReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }

  // Entries i = 0..count-1: RN i, ES with every escaped character, AI twice.
  void WriteEntries(int count) {
    EventFileWriter writer;
    ASSERT_TRUE(writer.Open(rendertest::Wide(path_)));
    for (int i = 0; i < count; ++i) {
      writer.WriteHex32Field(u"RN", static_cast<uint32_t>(i));
      writer.WriteTextField(u"ES", EscapeFieldValue(u"a~b^c#d;e:f\r\n\u00E4\""));
      writer.WriteTextField(u"AI", u"1");
      writer.WriteTextField(u"AI", u"1");
      writer.WriteTextField(u"EC", u"");
      writer.EndEntry();
    }
    writer.Close();
  }

  std::string Bytes() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string path_ = rendertest::ScratchPath("read.adevt");
};

TEST_F(EventFileReaderTest, DecodesWhatTheWriterWrote) {
  WriteEntries(3);
  EventFileReader reader;
  ASSERT_TRUE(reader.Open(path_));
  EventFileEntry entry;
  int n = 0;
  while (reader.Next(&entry)) {
    ASSERT_EQ(entry.size(), 5u);
    EXPECT_EQ(entry[0].tag, u"RN");
    EXPECT_EQ(entry[0].value, n == 2 ? u"00000002" : entry[0].value);
    EXPECT_EQ(entry[1].value, u"a~b^c#d;e:f\r\n\u00E4\"");
    EXPECT_EQ(entry[4].tag, u"EC");
    EXPECT_EQ(entry[4].value, u"");
    ++n;
  }
  EXPECT_EQ(n, 3);
  EXPECT_EQ(reader.EntriesRead(), 3u);
  EXPECT_EQ(reader.Problem(), "");
}

TEST_F(EventFileReaderTest, ACutFileIsReportedWithItsWholeEntries) {
  WriteEntries(2000);
  std::string bytes = Bytes();
  {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
  }
  EventFileReader reader;
  ASSERT_TRUE(reader.Open(path_));
  EventFileEntry entry;
  size_t n = 0;
  while (reader.Next(&entry)) ++n;
  EXPECT_NE(reader.Problem(), "");
  EXPECT_EQ(reader.EntriesRead(), n);
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, 2000u);
}

TEST_F(EventFileReaderTest, APlainTextFileIsNotTakenForAnEventFile) {
  {
    std::ofstream out(path_, std::ios::binary);
    out << "ES~A#\r\n";
  }
  EventFileReader reader;
  ASSERT_TRUE(reader.Open(path_));
  EventFileEntry entry;
  EXPECT_FALSE(reader.Next(&entry));
  EXPECT_EQ(reader.Problem(), "not a gzip stream");
}

TEST(EventFilePrint, JsonWritesARepeatedTagOnceAndEscapes) {
  EventFileEntry entry{{u"AI", u"1"}, {u"RI", u"2"}, {u"AI", u"1"}, {u"IS01", u"q\"\\\n\x01\u00E4"}, {u"AI", u"3"}};
  EXPECT_EQ(EventFileEntryToJson(entry),
            "{\"AI\":\"1\",\"RI\":\"2\",\"IS01\":\"q\\\"\\\\\\n\\u0001\xC3\xA4\",\"AI#2\":\"3\"}");
}

TEST(EventFilePrint, TextAlignsTagsAndShowsControlCharacters) {
  EventFileEntry entry{{u"TW", u"x"}, {u"NUMSTR", u"a\r\n\x01"}};
  EXPECT_EQ(EventFileEntryToText(entry, 7), "entry 7\n  TW      x\n  NUMSTR  a\\r\\n\\x01\n");
}

TEST_F(EventFileReaderTest, PrintReportsDamageAfterTheEntriesItRead) {
  WriteEntries(2000);
  std::string bytes = Bytes();
  {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 4));  // the length is cut off
  }
  FILE* out = tmpfile();
  FILE* err = tmpfile();
  EXPECT_EQ(PrintEventFile(path_, EventFileFormat::Json, out, err), 1);
  rewind(err);
  char text[512] = {};
  EXPECT_NE(fgets(text, sizeof text, err), nullptr);
  EXPECT_NE(std::string(text).find("damaged or truncated"), std::string::npos) << text;
  EXPECT_NE(std::string(text).find(": 2000 whole entries read"), std::string::npos) << text;
  fclose(out);
  fclose(err);
}

}  // namespace
