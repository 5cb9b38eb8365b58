// The event file writer seen from a second process: the share mode of an
// open file, and a disk that fills or descriptors that run out, imitated with
// the POSIX resource limits of the child.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

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

auto ThreadCount() { return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}); }

bool IsFullDisk(const cmr::ErrnoException& e) {
  return e.Code() == EFBIG && e.FullText().find(u"File too large") != std::u16string::npos;
}

// Writes `entries` entries that hardly compress (so that blocks reach the
// disk while entries are written) to a disk of `limit` bytes (0: no limit),
// then closes the writer or only destroys it. The exit status tells where a
// full disk was reported, 10 for EndEntry (with the entry kept) plus 1 for
// Close; 100 when a thread is left, 200 when a report was wrong.
EC_CHILD_ROLE(WriteEntriesThenFinish) {
  if (std::stoul(args.at(2)) != 0) LimitFileSize(std::stoul(args.at(2)));
  auto writer = std::make_unique<EventFileWriter>();
  if (!writer->Open(Wide(args.at(0)))) return 200;
  uint32_t seed = 1;
  int reported = 0;
  try {
    for (int i = std::stoi(args.at(1)); i > 0; --i) {
      writer->WriteTextField(u"IS01", Noise(seed, 64));
      writer->EndEntry();
    }
  } catch (const cmr::ErrnoException& e) {
    if (!IsFullDisk(e) || writer->PendingEntry().empty()) return 200;
    reported += 10;
  }
  if (args.at(3) == "close") {
    try {
      writer->Close();
    } catch (const cmr::ErrnoException& e) {
      if (!IsFullDisk(e) || writer->IsOpen()) return 200;
      writer->Close();  // nothing left to close
      reported += 1;
    }
  }
  writer.reset();
  return reported + (ThreadCount() == 1 ? 0 : 100);
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

TEST_F(EventFileWriterProcessTest, OpenFailsWhenTheStreamCannotBeAttached) {
  EXPECT_EQ(testsupport::RunChild("OpenWithFewDescriptors", {path_}), 0);
}

// A block fails in the compressor thread: the next EndEntry or Close says
// so; no thread outlives the writer, closed or not. Entries of less than a
// block are compressed by Close, which reports their failure.
TEST_F(EventFileWriterProcessTest, FullDiskIsReportedByTheNextEndEntryOrCloseAndNoThreadIsLeft) {
  constexpr size_t kEntryBytes = 72;
  const size_t oneBlock = EventFileWriter::kBlockBytes / kEntryBytes + 1;  // handed at the last EndEntry
  const struct {
    size_t entries;
    const char* limit;
    const char* finish;
    int reported;
  } cases[] = {
      {20000, "4096", "close", 11},    // blocks after the failed one are refused
      {oneBlock, "4096", "close", 1},  // the failed block was handed at the last EndEntry
      {1, "16", "close", 1},           // no thread: Close compresses
      {20000, "4096", "destroy", 10},  // the destructor joins a failed thread
      {20000, "0", "destroy", 0},      // the destructor finishes the file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(testsupport::RunChild("WriteEntriesThenFinish", {path_, std::to_string(c.entries), c.limit, c.finish}),
              c.reported)
        << c.entries << " entries, " << c.limit << " bytes, " << c.finish;
    if (std::string(c.limit) == "0") {
      bool ok = false;
      EXPECT_EQ(GzipContent(path_, &ok).size(), 20000 * kEntryBytes) << "the destructor finishes the file";
      EXPECT_TRUE(ok);
    }
  }
}

}  // namespace
