#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <string>

#include "platform/api/kernel.h"
#include "platform/host/host.h"
#include "platform/host/machine/system_version.h"
#include "tests/support/last_error.h"

namespace {

TEST(Identity, ModulePathsAreShownThroughTheZDrive) {
  char16_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(n, 3u);
  std::u16string text(path, n);
  EXPECT_EQ(text.substr(0, 3), u"Z:\\");
  EXPECT_EQ(text.find(u'/'), std::u16string::npos);
  EXPECT_NE(text.find(u"test_host_kernel"), std::u16string::npos);

  char16_t small[4];
  EXPECT_LAST_ERROR(GetModuleFileNameW(nullptr, small, 4), 4u, ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(small[3], 0);
  // An address inside a shared object gives the object's path.
  Dl_info info;
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(&getpid), &info));
  n = GetModuleFileNameW(reinterpret_cast<HMODULE>(info.dli_fbase), path, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::u16string(path, n).find(u"libc"), std::u16string::npos);
}

TEST(Identity, ComputerNameSizeProtocolAndVersion) {
  host::Host::Get().Reset();
  DWORD size = 3;
  char16_t name[16];
  EXPECT_LAST_ERROR(GetComputerNameW(name, &size), FALSE, ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(size, 13u);  // "WORKSTATION1" and its null
  EXPECT_TRUE(GetComputerNameW(name, &size));
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(std::u16string(name), host::kDefaultComputerName);
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(info.dwBuildNumber, 7601u);
  EXPECT_EQ(std::u16string(info.szCSDVersion), u"Service Pack 1");
  host::Host::Get().Local().Service<host::SystemVersion>().productType = VER_NT_SERVER;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.wProductType, VER_NT_SERVER);
  info.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExW(&info));
}

TEST(Environment, ExpandSetGetAndDelete) {
  host::Host::Get().Reset();
  const char16_t* source = u"%SystemRoot%\\Temp %NoSuchVar% 100%";
  DWORD needed = ExpandEnvironmentStringsW(source, nullptr, 0);
  std::u16string expected = u"C:\\Windows\\Temp %NoSuchVar% 100%";
  ASSERT_EQ(needed, expected.size() + 1);
  char16_t small[8] = {};
  EXPECT_EQ(ExpandEnvironmentStringsW(source, small, 8), needed);
  std::u16string out(needed, u'?');
  EXPECT_EQ(ExpandEnvironmentStringsW(source, out.data(), needed), needed);
  EXPECT_EQ(std::u16string(out.c_str()), expected);
  ASSERT_TRUE(SetEnvironmentVariableW(u"Feature", u"on"));
  char16_t buffer[8];
  EXPECT_EQ(GetEnvironmentVariableW(u"FEATURE", buffer, 2), 3u);  // size needed, with the null
  EXPECT_EQ(GetEnvironmentVariableW(u"FEATURE", buffer, 8), 2u);
  ASSERT_TRUE(SetEnvironmentVariableW(u"feature", nullptr));
  EXPECT_LAST_ERROR(GetEnvironmentVariableW(u"Feature", buffer, 8), 0u, ERROR_ENVVAR_NOT_FOUND);
  char16_t temp[MAX_PATH];
  EXPECT_EQ(GetTempPathW(MAX_PATH, temp), 16u);
  EXPECT_EQ(std::u16string(temp), u"C:\\Windows\\Temp\\");
}

}  // namespace
