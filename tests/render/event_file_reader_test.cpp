#include "render/event_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>

#include <gtest/gtest.h>

#include "render/event_file_print.h"
#include "render/event_file_writer.h"
#include "render/field_text.h"
#include "tests/render/render_test_files.h"

using namespace cmr;

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

  void Overwrite(const std::string& bytes) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes; }
  // Opens the file and reads entries until the reader stops; how many it gave.
  size_t ReadAll(EventFileReader& reader) {
    EXPECT_TRUE(reader.Open(path_));
    EventFileEntry entry;
    size_t n = 0;
    while (reader.Next(&entry)) ++n;
    return n;
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
  std::string bytes = rendertest::FileBytes(path_);
  Overwrite(bytes.substr(0, bytes.size() / 2));
  EventFileReader reader;
  size_t n = ReadAll(reader);
  EXPECT_NE(reader.Problem(), "");
  EXPECT_EQ(reader.EntriesRead(), n);
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, 2000u);
}

TEST_F(EventFileReaderTest, APlainTextFileIsNotTakenForAnEventFile) {
  Overwrite("ES~A#\r\n");
  EventFileReader reader;
  EXPECT_EQ(ReadAll(reader), 0u);
  EXPECT_EQ(reader.Problem(), "not a gzip stream");
}

TEST(EventFilePrint, JsonWritesARepeatedTagOnceAndEscapes) {
  EventFileEntry entry{{u"AI", u"1"}, {u"RI", u"2"}, {u"AI", u"1"}, {u"IS01", u"q\"\\\n\x01\u00E4"}, {u"AI", u"3"}};
  EXPECT_EQ(EventFileEntryToJson(entry),
            "{\"AI\":[\"1\",\"1\",\"3\"],\"RI\":\"2\",\"IS01\":\"q\\\"\\\\\\n\\u0001\xC3\xA4\"}");
}

TEST(EventFilePrint, TextAlignsTagsAndShowsControlCharacters) {
  EventFileEntry entry{{u"TW", u"x"}, {u"NUMSTR", u"a\r\n\x01"}};
  EXPECT_EQ(EventFileEntryToText(entry, 7), "entry 7\n  TW      x\n  NUMSTR  a\\r\\n\\x01\n");
}

TEST_F(EventFileReaderTest, PrintReportsDamageAfterTheEntriesItRead) {
  WriteEntries(2000);
  std::string bytes = rendertest::FileBytes(path_);
  Overwrite(bytes.substr(0, bytes.size() - 4));  // the length is cut off
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

namespace {

// Writes a gzip file of one entry of `size` bytes without a line end.
void WriteLongEntry(const std::string& path, size_t size) {
  gzFile f = gzopen(path.c_str(), "wb1");
  std::string block(1 << 20, 'x');
  for (size_t done = 0; done < size; done += block.size())
    gzwrite(f, block.data(), static_cast<unsigned>(block.size()));
  gzwrite(f, "#A~1\r\n", 6);
  gzclose(f);
}

double CpuSecondsToRead(const std::string& path) {
  std::clock_t start = std::clock();
  EventFileReader reader;
  EventFileEntry entry;
  EXPECT_TRUE(reader.Open(path));
  while (reader.Next(&entry)) {
  }
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

// A long entry costs time in proportion to its length: 50 MB take about five
// times as long as 10 MB (the old search took 25 times as long).
TEST_F(EventFileReaderTest, ALongEntryIsReadInLinearTime) {
  std::string small = rendertest::ScratchPath("long10.adevt"), large = rendertest::ScratchPath("long50.adevt");
  WriteLongEntry(small, 10u << 20);
  WriteLongEntry(large, 50u << 20);
  double ratio = CpuSecondsToRead(large) / std::max(CpuSecondsToRead(small), 1e-3);
  EXPECT_LT(ratio, 12.0);
  std::remove(small.c_str());
  std::remove(large.c_str());
}

// What follows the gzip stream: another gzip member is more content, as
// gzip reads it; anything else is damage, told with its size.
TEST_F(EventFileReaderTest, BytesAfterTheGzipStreamAreDamage) {
  WriteEntries(3);
  const std::string stream = rendertest::FileBytes(path_);
  struct Case {
    const char* what;
    std::string after;
    size_t entries;
    std::string problem;
  };
  const Case cases[] = {
      {"nothing", "", 3, ""},
      {"a second member", stream, 6, ""},
      {"one byte", "x", 3, "1 byte after the gzip stream"},
      {"a run of zeros", std::string(70000, '\0'), 3, "70000 bytes after the gzip stream"},
      {"a member's first byte only", "\x1f", 3, "1 byte after the gzip stream"},
  };
  for (const Case& c : cases) {
    Overwrite(stream + c.after);
    EventFileReader reader;
    EXPECT_EQ(ReadAll(reader), c.entries) << c.what;
    EXPECT_EQ(reader.Problem(), c.problem) << c.what;
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    EXPECT_EQ(PrintEventFile(path_, EventFileFormat::Text, out, err), c.problem.empty() ? 0 : 1) << c.what;
    fclose(out);
    fclose(err);
  }
}
