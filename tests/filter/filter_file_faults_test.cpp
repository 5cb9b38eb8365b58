// A filter file whose save fails, by a failed rename or a full disk (the
// POSIX file size limit of a child): the old file stays.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "base/text.h"
#include "filter/event_filter.h"
#include "platform/host/faults/faults.h"
#include "tests/support/child_process.h"
#include "tests/support/file_text.h"
#include "tests/support/full_disk.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thrown_text.h"

using namespace cmr;

namespace {

class FilterFileFaults : public ::testing::Test {
 protected:
  void TearDown() override { host::ClearFaults(); }
  testsupport::TempDir dir;
  std::u16string path = dir.Wide("/filters.xml");
};

TEST_F(FilterFileFaults, AFailedRenameLeavesTheOldFile) {
  { std::ofstream(dir.path() + "/filters.xml") << "old"; }
  CEventFilter set;
  host::InjectFault("MoveFileExW", 1, 5);
  EXPECT_THROW(set.SaveToFile(path), std::runtime_error);
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/filters.xml"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/filters.xml.saving")) << "the new file is removed";
  host::ClearFaults();
  set.SaveToFile(path);
  EXPECT_NE(testsupport::ReadFileText(dir.path() + "/filters.xml"), "old");
}

// Saves a large set with the file size limited, as a full disk would stop it.
EC_CHILD_ROLE(filter_save_over_limit) {
  testsupport::LimitFileSize(4096);
  CEventFilter set;
  for (int i = 0; i < 200; ++i) set.AddIncludingFilter(i);
  return testsupport::ThrownText([&] { set.SaveToFile(cmr::Utf8ToUtf16(args.at(0))); }) == "xml config file save error"
             ? 0
             : 1;
}

TEST_F(FilterFileFaults, AFailedWriteLeavesTheOldFile) {
  { std::ofstream(dir.path() + "/filters.xml") << "old"; }
  EXPECT_EQ(testsupport::RunChild("filter_save_over_limit", {dir.path() + "/filters.xml"}), 0);
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/filters.xml"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/filters.xml.saving"));
}

}  // namespace
