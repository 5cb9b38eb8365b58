// The names of a collection's files and the save folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/host/files/paths.h"
#include "task/event_file_names.h"
#include "task/save_folder.h"
#include "tests/support/fresh_host.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(EventFileNames, WorkAndEventFileNames) {
  struct Case {
    cmr::EventFileNaming naming;
    std::u16string work, event;
  } cases[] = {
      {{u"D:\\out", u"SRV1", u"Microsoft-Windows-TaskScheduler/Operational", u""},
       u"D:\\out\\SRV1_Microsoft-Windows-TaskScheduler%4Operational_last.adevt",
       u"SRV1_Microsoft-Windows-TaskScheduler%4Operational_10_5f000000_20_5f000100.adevt"},
      {{u"D:\\out", u"SRV1", u"Security", u"sec"}, u"D:\\out\\sec_last.adevt", u"sec_10_5f000000_20_5f000100.adevt"},
      {{u"D:\\out", u"", u"System", u""}, u"D:\\out\\_System_last.adevt", u"_System_10_5f000000_20_5f000100.adevt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cmr::WorkFilePath(c.naming), c.work);
    EXPECT_EQ(cmr::EventFileName(c.naming, {16, 1593835520}, {32, 1593835776}), c.event);
  }
  EXPECT_EQ(cmr::DescriptionFilePath(u"D:\\out\\sec_1_2_3_4.adevt"), u"D:\\out\\sec_1_2_3_4.descr");
}

class SaveFolder : public testsupport::FreshHost {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(SaveFolder, CreatedWithItsParentsOrRefusedWithItsCode) {
  const std::u16string deep = host::WindowsPathOf(dir_.path() + "/a/b/c");
  EXPECT_EQ(cmr::EnsureFolderExists(deep + u"\\"), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() + "/a/b/c"));
  EXPECT_EQ(cmr::EnsureFolderExists(deep), 0u);  // already there

  std::ofstream(dir_.path() + "/file") << "x";
  EXPECT_EQ(cmr::EnsureFolderExists(host::WindowsPathOf(dir_.path() + "/file")), 80u);
  EXPECT_EQ(cmr::EnsureFolderExists(host::WindowsPathOf(dir_.path() + "/file/sub")), 80u);
  EXPECT_EQ(cmr::EnsureFolderExists(u"nosuchfolder"), 160u);
}

}  // namespace
