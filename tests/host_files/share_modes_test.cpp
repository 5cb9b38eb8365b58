#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/api/kernel.h"
#include "tests/support/child_process.h"
#include "tests/support/last_error.h"
#include "tests/support/temp_dir.h"

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Exit status: 0 opened, 1 refused with EACCES, 2 another failure.
int TryOpen(const std::string& path, const char16_t* mode) {
  FILE* f = _wfsopen(Wide(path).c_str(), mode, _SH_DENYNO);
  if (f) {
    fclose(f);
    return 0;
  }
  return errno == EACCES ? 1 : 2;
}

EC_CHILD_ROLE(OpenForWriting) { return TryOpen(args.at(0), u"ab"); }
EC_CHILD_ROLE(OpenForReading) { return TryOpen(args.at(0), u"rb"); }

TEST(ShareModes, DenyWriteHoldsAgainstAnotherProcess) {
  testsupport::TempDir dir;
  std::string path = dir.path() + "/trace.log";
  FILE* held = _wfsopen(Wide(path).c_str(), u"wb", _SH_DENYWR);
  ASSERT_NE(held, nullptr);
  fputs("held", held);
  fflush(held);
  EXPECT_EQ(testsupport::RunChild("OpenForWriting", {path}), 1);
  EXPECT_EQ(testsupport::RunChild("OpenForReading", {path}), 0);
  // Within this process too; a refused "w" open must not empty the file.
  EXPECT_LAST_ERROR(TryOpen(path, u"w"), 1, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(TryOpen(path, u"rb"), 0);
  EXPECT_LAST_ERROR(DeleteFileW(Wide(path).c_str()), FALSE, ERROR_SHARING_VIOLATION);
  fclose(held);
  EXPECT_EQ(testsupport::RunChild("OpenForWriting", {path}), 0);
  FILE* f = _wfopen(Wide(path).c_str(), u"rb");
  ASSERT_NE(f, nullptr);
  char text[8] = {};
  EXPECT_EQ(fread(text, 1, sizeof text, f), 4u);
  EXPECT_EQ(std::string(text), "held");
  fclose(f);
  // The last close takes the lock file away: opening files leaves no litter.
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  std::string lockFile =
      "/tmp/ec-share-" + std::to_string(getuid()) + "/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
  EXPECT_NE(access(lockFile.c_str(), F_OK), 0);
}

TEST(ShareModes, AReaderBlocksADenyWriteOpenerOnlyWhenItWrites) {
  testsupport::TempDir dir;
  std::string path = dir.path() + "/f";
  FILE* writer = _wfopen(Wide(path).c_str(), u"ab");
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(_wfsopen(Wide(path).c_str(), u"rb", _SH_DENYWR), nullptr);
  EXPECT_EQ(errno, EACCES);
  fclose(writer);
  FILE* reader = _wfopen(Wide(path).c_str(), u"rb");
  FILE* denyWrite = _wfsopen(Wide(path).c_str(), u"rb", _SH_DENYWR);
  EXPECT_NE(denyWrite, nullptr);
  if (denyWrite) fclose(denyWrite);
  fclose(reader);
}

TEST(ShareModes, AppendModeReportsTheEndOfFile) {
  testsupport::TempDir dir;
  std::string path = dir.path() + "/a";
  for (int i = 0; i < 2; ++i) {
    FILE* f = _wfopen(Wide(path).c_str(), u"ab");
    ASSERT_NE(f, nullptr);
    fputs("12345", f);
    EXPECT_EQ(ftell(f), 5 * (i + 1));
    fclose(f);
  }
}

}  // namespace
