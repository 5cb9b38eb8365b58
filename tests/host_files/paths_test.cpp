#include <gtest/gtest.h>

#include <filesystem>

#include "platform/api/errors.h"
#include "platform/host/files/paths.h"
#include "platform/host/host.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Host::Get().Reset();
    fs::create_directories(dir_.path() + "/local/C/Windows/System32");
    fs::create_directories(dir_.path() + "/local/D/Data");
    fs::create_directories(dir_.path() + "/remote/C/Windows/Logs");
    host::Host::Get().Local().SetRoot(dir_.path() + "/local");
    host::Host::Get().Add(u"SERVER1").SetRoot(dir_.path() + "/remote");
  }
  void TearDown() override { host::Host::Get().Reset(); }

  std::string Map(std::u16string_view path, DWORD expectedError = 0) {
    std::string out;
    EXPECT_EQ(host::MapPath(path, &out), expectedError) << std::string(path.begin(), path.end());
    return out;
  }

  testsupport::TempDir dir_;
};

TEST_F(PathsTest, DrivesOfTheLocalComputerLiveUnderItsRoot) {
  EXPECT_EQ(Map(u"C:\\Windows\\System32\\x.dll"), dir_.path() + "/local/C/Windows/System32/x.dll");
  // Case-insensitive drive letters and names, slash or backslash.
  EXPECT_EQ(Map(u"c:/WINDOWS/system32"), dir_.path() + "/local/C/Windows/System32");
  EXPECT_EQ(Map(u"d:\\data\\New\\File"), dir_.path() + "/local/D/Data/New/File");
  // ".." never leaves the drive.
  EXPECT_EQ(Map(u"C:\\..\\..\\Windows"), dir_.path() + "/local/C/Windows");
}

TEST_F(PathsTest, AdministrativeSharesOfOtherComputers) {
  EXPECT_EQ(Map(u"\\\\SERVER1\\C$\\Windows\\Logs"), dir_.path() + "/remote/C/Windows/Logs");
  EXPECT_EQ(Map(u"\\\\server1\\admin$\\logs\\a.evt"), dir_.path() + "/remote/C/Windows/Logs/a.evt");
  EXPECT_EQ(Map(u"//SERVER1/c$/Windows"), dir_.path() + "/remote/C/Windows");
  Map(u"\\\\SERVER1\\Public\\x", ERROR_BAD_NET_NAME);
  Map(u"\\\\NOSUCH\\C$\\x", ERROR_BAD_NETPATH);
  host::Host::Get().Find(u"SERVER1")->SetReachable(false);
  Map(u"\\\\SERVER1\\C$\\Windows", ERROR_BAD_NETPATH);
}

TEST_F(PathsTest, ZDriveAndLinuxPaths) {
  EXPECT_EQ(Map(u"Z:\\tmp\\x"), "/tmp/x");
  EXPECT_EQ(Map(u"/tmp/AbC"), "/tmp/AbC");
  EXPECT_EQ(host::WindowsPathOf("/work/x/y"), u"Z:\\work\\x\\y");
  host::Host::Get().Local().SetRoot("");
  Map(u"C:\\Windows", ERROR_PATH_NOT_FOUND);
}

}  // namespace
