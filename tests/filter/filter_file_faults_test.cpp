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

// Saves a large set with the file size limited, as a full disk would stop it.
EC_CHILD_ROLE(filter_save_over_limit) {
  testsupport::LimitFileSize(4096);
  CEventFilter set;
  for (int i = 0; i < 200; ++i) set.AddIncludingFilter(i);
  return testsupport::ThrownText([&] { set.SaveToFile(cmr::Utf8ToUtf16(args.at(0))); }) == "xml config file save error"
             ? 0
             : 1;
}

TEST_F(FilterFileFaults, AFailedRenameOrWriteLeavesTheOldFile) {
  const std::string file = dir.path() + "/filters.xml";
  { std::ofstream(file) << "old"; }
  CEventFilter set;
  host::InjectFault("MoveFileExW", 1, 5);
  EXPECT_THROW(set.SaveToFile(path), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(file + ".saving")) << "the new file is removed";
  host::ClearFaults();
  EXPECT_EQ(testsupport::RunChild("filter_save_over_limit", {file}), 0);
  EXPECT_EQ(testsupport::ReadFileText(file), "old");
  EXPECT_FALSE(std::filesystem::exists(file + ".saving"));
  set.SaveToFile(path);
  EXPECT_NE(testsupport::ReadFileText(file), "old");
}

}  // namespace
