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
  // Opens the file and reads entries until the reader stops: their texts.
  std::vector<std::string> ReadAll(EventFileReader& reader) {
    EXPECT_TRUE(reader.Open(path_));
    std::vector<std::string> texts;
    for (EventFileEntry entry; reader.Next(&entry);) texts.push_back(EventFileEntryToText(entry, texts.size()));
    return texts;
  }
  // The exit code of printing the file and the first line of its errors.
  std::pair<int, std::string> Print(EventFileFormat format) {
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    const int code = PrintEventFile(path_, format, out, err);
    rewind(err);
    char text[512] = {};
    if (fgets(text, sizeof text, err) == nullptr) text[0] = '\0';
    fclose(out);
    fclose(err);
    return {code, text};
  }

  std::string path_ = rendertest::ScratchPath("read.adevt");
};

TEST_F(EventFileReaderTest, DecodesWhatTheWriterWrote) {
  WriteEntries(3);
  EventFileReader reader;
  const std::vector<std::string> entries = ReadAll(reader);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2], "entry 2\n  RN  00000002\n  ES  a~b^c#d;e:f\\r\\n\xC3\xA4\"\n  AI  1\n  AI  1\n  EC  \n");
  EXPECT_EQ(reader.EntriesRead(), 3u);
  EXPECT_EQ(reader.Problem(), "");
}

// A cut file gives its whole entries and the damage; so does printing it.
// A plain text file gives no entry.
TEST_F(EventFileReaderTest, ACutFileIsReportedWithItsWholeEntriesAndAPlainTextFileIsRefused) {
  WriteEntries(2000);
  const std::string bytes = rendertest::FileBytes(path_);
  Overwrite(bytes.substr(0, bytes.size() / 2));
  EventFileReader reader;
  const size_t n = ReadAll(reader).size();
  EXPECT_NE(reader.Problem(), "");
  EXPECT_EQ(reader.EntriesRead(), n);
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, 2000u);
  Overwrite(bytes.substr(0, bytes.size() - 4));  // the length is cut off
  const auto [code, error] = Print(EventFileFormat::Json);
  EXPECT_EQ(code, 1);
  EXPECT_NE(error.find("damaged or truncated"), std::string::npos) << error;
  EXPECT_NE(error.find(": 2000 whole entries read"), std::string::npos) << error;

  Overwrite("ES~A#\r\n");
  EventFileReader text;
  EXPECT_EQ(ReadAll(text).size(), 0u);
  EXPECT_EQ(text.Problem(), "not a gzip stream");
}

TEST(EventFilePrint, JsonWritesARepeatedTagOnceAndTextAlignsTags) {
  EventFileEntry entry{{u"AI", u"1"}, {u"RI", u"2"}, {u"AI", u"1"}, {u"IS01", u"q\"\\\n\x01\u00E4"}, {u"AI", u"3"}};
  EXPECT_EQ(EventFileEntryToJson(entry),
            "{\"AI\":[\"1\",\"1\",\"3\"],\"RI\":\"2\",\"IS01\":\"q\\\"\\\\\\n\\u0001\xC3\xA4\"}");
  EXPECT_EQ(EventFileEntryToText({{u"TW", u"x"}, {u"NUMSTR", u"a\r\n\x01"}}, 7),
            "entry 7\n  TW      x\n  NUMSTR  a\\r\\n\\x01\n");
}

// What follows the gzip stream: another gzip member is more content, as
// gzip reads it; anything else is damage, told with its size.
TEST_F(EventFileReaderTest, BytesAfterTheGzipStreamAreDamage) {
  WriteEntries(3);
  const std::string stream = rendertest::FileBytes(path_);
  const struct {
    const char* what;
    std::string after;
    size_t entries;
    std::string problem;
  } cases[] = {
      {"nothing", "", 3, ""},
      {"a second member", stream, 6, ""},
      {"one byte", "x", 3, "1 byte after the gzip stream"},
      {"a run of zeros", std::string(70000, '\0'), 3, "70000 bytes after the gzip stream"},
      {"a member's first byte only", "\x1f", 3, "1 byte after the gzip stream"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Overwrite(stream + c.after);
    EventFileReader reader;
    EXPECT_EQ(ReadAll(reader).size(), c.entries);
    EXPECT_EQ(reader.Problem(), c.problem);
    EXPECT_EQ(Print(EventFileFormat::Text).first, c.problem.empty() ? 0 : 1);
  }
}

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
  EXPECT_TRUE(reader.Open(path));
  for (EventFileEntry entry; reader.Next(&entry);) {
  }
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

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

}  // namespace
