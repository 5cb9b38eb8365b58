#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <set>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "tests/support/file_text.h"
#include "tests/support/last_error.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::TempDir;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
TEST(Files, DirectoryCreationErrors) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoryW(dir.Wide("/a").c_str(), nullptr));
  EXPECT_LAST_ERROR(CreateDirectoryW(dir.Wide("/a").c_str(), nullptr), FALSE, ERROR_ALREADY_EXISTS);
  EXPECT_LAST_ERROR(CreateDirectoryW(dir.Wide("/missing/b").c_str(), nullptr), FALSE, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(dir.Wide("/a").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_LAST_ERROR(GetFileAttributesW(dir.Wide("/a/none").c_str()), INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND);
  EXPECT_LAST_ERROR(GetFileAttributesW(dir.Wide("/none/none").c_str()), INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND);
  WriteText(dir.path() + "/a/f", "x");
  EXPECT_LAST_ERROR(RemoveDirectoryW(dir.Wide("/a").c_str()), FALSE, ERROR_DIR_NOT_EMPTY);
}

TEST(Files, FindWithWildcards) {
  TempDir dir;
  for (const char* name : {"App_1.evt", "app_22.EVT", "System.evtx", "x.txt"}) WriteText(dir.path() + "/" + name, "");
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(dir.Wide("/app_?*.evt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::set<std::u16string> names{data.cFileName};
  while (FindNextFileW(find, &data)) names.insert(data.cFileName);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  EXPECT_EQ(names, (std::set<std::u16string>{u"App_1.evt", u"app_22.EVT"}));
  // A "?" at the end of the pattern also matches no character.
  names.clear();
  find = FindFirstFileW(dir.Wide("/*.evt?").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  for (names.insert(data.cFileName); FindNextFileW(find, &data);) names.insert(data.cFileName);
  FindClose(find);
  EXPECT_EQ(names, (std::set<std::u16string>{u"App_1.evt", u"app_22.EVT", u"System.evtx"}));
  EXPECT_LAST_ERROR(FindFirstFileW(dir.Wide("/*.log").c_str(), &data), INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND);
  EXPECT_LAST_ERROR(FindFirstFileW(dir.Wide("/nodir/*").c_str(), &data), INVALID_HANDLE_VALUE, ERROR_PATH_NOT_FOUND);
}

TEST(Files, MoveReplacesOnlyWhenAsked) {
  TempDir dir;
  WriteText(dir.path() + "/a", "new");
  WriteText(dir.path() + "/b", "old");
  EXPECT_LAST_ERROR(MoveFileW(dir.Wide("/a").c_str(), dir.Wide("/b").c_str()), FALSE, ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileExW(dir.Wide("/a").c_str(), dir.Wide("/b").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/b"), "new");
  EXPECT_LAST_ERROR(CopyFileW(dir.Wide("/b").c_str(), dir.Wide("/b").c_str(), TRUE), FALSE, ERROR_FILE_EXISTS);
  EXPECT_TRUE(CopyFileW(dir.Wide("/b").c_str(), dir.Wide("/c").c_str(), TRUE));
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/c"), "new");
  EXPECT_EQ(_wrename(dir.Wide("/c").c_str(), dir.Wide("/b").c_str()), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(_wremove(dir.Wide("/nothing").c_str()), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(Files, HandleReadWriteSeekAndDispositions) {
  TempDir dir;
  std::u16string path = dir.Wide("/data.bin");
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
  LARGE_INTEGER to{}, at{};
  to.QuadPart = -4;
  ASSERT_TRUE(SetFilePointerEx(h, to, &at, FILE_END));
  EXPECT_EQ(at.QuadPart, 6);
  char buffer[8] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "6789");
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));  // end of file: success, nothing read
  EXPECT_EQ(n, 0u);
  to.QuadPart = -1;
  EXPECT_LAST_ERROR(SetFilePointerEx(h, to, nullptr, FILE_BEGIN), FALSE, ERROR_NEGATIVE_SEEK);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 10);
  // No sharing: a second open is refused while this handle is open.
  EXPECT_EQ(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_LAST_ERROR(CloseHandle(h), FALSE, ERROR_INVALID_HANDLE);

  EXPECT_LAST_ERROR(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE,
                    ERROR_FILE_EXISTS);
  h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 0);
  CloseHandle(h);
}

TEST(Files, InjectedWriteFaultIsReported) {
  TempDir dir;
  HANDLE h = CreateFileW(dir.Wide("/f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  host::ClearFaults();
  host::InjectFault("WriteFile", 2, ERROR_DISK_FULL);
  DWORD n;
  EXPECT_TRUE(WriteFile(h, "a", 1, &n, nullptr));
  EXPECT_LAST_ERROR(WriteFile(h, "b", 1, &n, nullptr), FALSE, ERROR_DISK_FULL);
  host::ClearFaults();
  CloseHandle(h);
}

TEST(CrtErrors, MicrosoftTexts) {
  char16_t buffer[64];
  const std::pair<int, std::u16string> cases[] = {{ENOENT, u"No such file or directory"},
                                                  {ENOSPC, u"No space left on device"},
                                                  {ENOTEMPTY, u"Directory not empty"},
                                                  {9999, u"Unknown error"}};
  for (const auto& [code, text] : cases) {
    ASSERT_EQ(_wcserror_s(buffer, 64, code), 0);
    EXPECT_EQ(std::u16string(buffer), text);
  }
  EXPECT_EQ(_wcserror_s(nullptr, 64, ENOENT), EINVAL);
  EXPECT_EQ(_wcserror_s(buffer, 0, ENOENT), EINVAL);
}

}  // namespace
