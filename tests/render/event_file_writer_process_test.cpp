// The event file writer seen from a second process: the share mode of an
// open file, and a disk that fills or descriptors that run out, imitated with
// the POSIX resource limits of the child.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "platform/api/kernel.h"
#include "render/event_file_writer.h"
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

class EventFileWriterProcessTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_ = ScratchPath("out.adevt");
};

TEST_F(EventFileWriterProcessTest, OpenFileCanBeReadButNotWrittenByAnotherProcess) {
  EventFileWriter writer;
  ASSERT_TRUE(writer.Open(Wide(path_)));
  EXPECT_EQ(testsupport::RunChild("OpenForReadAndWrite", {path_}), 0);
  writer.Close();
  EXPECT_EQ(testsupport::RunChild("OpenForReadAndWrite", {path_}), 10);
}

// Each role above passes in a child of its own (exit 0), with its limits.
TEST_F(EventFileWriterProcessTest, FailuresToOpenWriteAndCloseAreReported) {
  for (const char* role : {"OpenWithFewDescriptors", "WriteUntilTheDiskIsFull", "CloseOnAFullDisk"}) {
    EXPECT_EQ(testsupport::RunChild(role, {path_}), 0) << role;
    std::remove(path_.c_str());
  }
}

}  // namespace
