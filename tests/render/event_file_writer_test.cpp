#include "render/event_file_writer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "render/field_text.h"
#include "tests/render/render_test_files.h"
#include "tests/support/child_process.h"
#include "tests/support/full_disk.h"

using namespace cmr;

using rendertest::GzipContent;
using rendertest::ScratchPath;
using rendertest::Wide;
using testsupport::LimitFileSize;
using testsupport::Noise;

namespace {

// Exit 0 when the file opens for reading, 1 when it does not, and 10 more
// when it also opens for writing.
EC_CHILD_ROLE(OpenForReadAndWrite) {
  std::u16string path = Wide(args.at(0));
  FILE* reader = _wfsopen(path.c_str(), u"rb", _SH_DENYNO);
  FILE* writer = _wfsopen(path.c_str(), u"ab", _SH_DENYNO);
  int rc = (reader != nullptr ? 0 : 1) + (writer != nullptr ? 10 : 0);
  if (reader != nullptr) fclose(reader);
  if (writer != nullptr) fclose(writer);
  return rc;
}

// Opens writers with fewer and fewer free descriptors: every Open either
// fails with errno set, or gives a writer whose entry reaches the file.
EC_CHILD_ROLE(OpenWithFewDescriptors) {
  std::string path = args.at(0);
  int lowest = dup(0);
  close(lowest);
  for (int spare = 0; spare < 8; ++spare) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(lowest + spare);
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return 2;
    EventFileWriter writer;
    errno = 0;
    if (!writer.Open(Wide(path))) {
      if (errno == 0) return 3;
      continue;
    }
    try {
      writer.WriteTextField(u"EI", u"1");
      writer.EndEntry();
      writer.Close();
    } catch (const cmr::BaseException&) {
      return 4;
    }
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    return GzipContent(path) == "EI~1#\r\n" ? 0 : 5;
  }
  return 6;
}

// Incompressible entries fill zlib's buffers, so a write reaches the disk
// while entries are written: EndEntry raises, the entry stays, Close raises.
EC_CHILD_ROLE(WriteUntilTheDiskIsFull) {
  LimitFileSize(4096);
  EventFileWriter writer;
  if (!writer.Open(Wide(args.at(0)))) return 1;
  uint32_t seed = 1;
  int code = 0;
  try {
    for (int i = 0; i < 2000 && code == 0; ++i) {
      writer.WriteTextField(u"IS01", Noise(seed, 64));
      writer.EndEntry();
    }
  } catch (const cmr::ErrnoException& e) {
    code = e.Code();
    if (writer.PendingEntry().empty()) return 2;
  }
  if (code != EFBIG) return 3;
  try {
    writer.Close();
  } catch (const cmr::BaseException&) {
    return writer.IsOpen() ? 5 : 0;
  }
  return 4;
}

// An entry still in zlib's buffer when the disk is full: Close reports it.
EC_CHILD_ROLE(CloseOnAFullDisk) {
  LimitFileSize(16);
  EventFileWriter writer;
  if (!writer.Open(Wide(args.at(0)))) return 1;
  writer.WriteTextField(u"ES", u"A source name long enough to pass the limit");
  writer.EndEntry();
  try {
    writer.Close();
  } catch (const cmr::ErrnoException& e) {
    if (e.Code() != EFBIG) return 3;
    writer.Close();  // nothing left to close
    return writer.IsOpen() ? 4 : 0;
  }
  return 2;
}

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
      std::string value = cmr::Utf16ToUtf8(formed);
      EXPECT_EQ(writer.PendingEntry(), "T\xC3\x84G~" + value + "#IS07~" + value + "#")
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
  FILE* f = fopen(path_.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char magic[2] = {};
  EXPECT_EQ(fread(magic, 1, 2, f), 2u);
  fclose(f);
  EXPECT_EQ(magic[0], 0x1F);
  EXPECT_EQ(magic[1], 0x8B);
}

TEST_F(EventFileWriterTest, OpenFileCanBeReadButNotWrittenByAnotherProcess) {
  EventFileWriter writer;
  ASSERT_TRUE(writer.Open(Wide(path_)));
  EXPECT_EQ(testsupport::RunChild("OpenForReadAndWrite", {path_}), 0);
  writer.Close();
  EXPECT_EQ(testsupport::RunChild("OpenForReadAndWrite", {path_}), 10);
}

TEST_F(EventFileWriterTest, OpenReportsAFileThatCannotBeCreated) {
  EventFileWriter writer;
  errno = 0;
  EXPECT_FALSE(writer.Open(Wide("/nonexistent-folder-ec/x.adevt")));
  EXPECT_NE(errno, 0);
  EXPECT_FALSE(writer.IsOpen());
}

TEST_F(EventFileWriterTest, OpenFailsWhenTheStreamCannotBeAttached) {
  EXPECT_EQ(testsupport::RunChild("OpenWithFewDescriptors", {path_}), 0);
}

TEST_F(EventFileWriterTest, FullDiskRaisesErrnoFromEndEntryAndClose) {
  EXPECT_EQ(testsupport::RunChild("WriteUntilTheDiskIsFull", {path_}), 0);
}

TEST_F(EventFileWriterTest, CloseReportsDataThatCouldNotBeWritten) {
  EXPECT_EQ(testsupport::RunChild("CloseOnAFullDisk", {path_}), 0);
}

}  // namespace
