#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <thread>

#include "platform/api/kernel.h"
#include "platform/host/kernel/debug_output.h"
#include "tests/support/child_process.h"
#include "tests/support/last_error.h"

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string UniqueName(const char* what) {
  return Wide("Local\\ec-test-" + std::string(what) + "-" + std::to_string(getpid()));
}

// Waits `args[1]` ms for the mutex named args[0]; exits with the wait result
// (0 acquired, 2 timeout, 3 abandoned, 4 failure); releases unless args[2] is "keep".
EC_CHILD_ROLE(WaitForMutex) {
  HANDLE m = CreateMutexW(nullptr, FALSE, Wide(args.at(0)).c_str());
  if (!m) return 4;
  DWORD r = WaitForSingleObject(m, static_cast<DWORD>(std::stoul(args.at(1))));
  if ((r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) && args.size() < 3) ReleaseMutex(m);
  CloseHandle(m);
  return r == WAIT_OBJECT_0 ? 0 : r == WAIT_TIMEOUT ? 2 : r == WAIT_ABANDONED ? 3 : 4;
}

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(NamedMutex, ExcludesAnotherProcessAndIsAbandonedWhenItEnds) {
  std::u16string name = UniqueName("exclude");
  HANDLE m = CreateMutexW(nullptr, TRUE, name.c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(testsupport::RunChild("WaitForMutex", {Narrow(name), "50"}), 2);
  ASSERT_TRUE(ReleaseMutex(m));
  EXPECT_EQ(testsupport::RunChild("WaitForMutex", {Narrow(name), "5000"}), 0);
  CloseHandle(m);
  // A process ending while it owns the mutex abandons it.
  name = UniqueName("abandon");
  m = CreateMutexW(nullptr, FALSE, name.c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(testsupport::RunChild("WaitForMutex", {Narrow(name), "1000", "keep"}), 0);
  EXPECT_EQ(WaitForSingleObject(m, 1000), WAIT_ABANDONED);
  ASSERT_TRUE(ReleaseMutex(m));
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);  // released properly this time
  ReleaseMutex(m);
  CloseHandle(m);
}

TEST(NamedMutex, SameNameSameMutexAndOwnershipRules) {
  std::u16string name = UniqueName("same");
  HANDLE a = CreateMutexW(nullptr, FALSE, name.c_str());
  HANDLE b = CreateMutexW(nullptr, TRUE, name.c_str());  // existed: not made owner
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_LAST_ERROR(ReleaseMutex(b), FALSE, ERROR_NOT_OWNER);
  // Recursive ownership through either handle.
  EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0);
  DWORD other = 99;
  std::thread([&] { other = WaitForSingleObject(a, 20); }).join();
  EXPECT_EQ(other, WAIT_TIMEOUT);
  BOOL releasedByOther = TRUE;
  std::thread([&] { releasedByOther = ReleaseMutex(a); }).join();
  EXPECT_FALSE(releasedByOther);
  EXPECT_TRUE(ReleaseMutex(a));
  EXPECT_TRUE(ReleaseMutex(b));
  EXPECT_FALSE(ReleaseMutex(a));
  std::thread([&] {
    other = WaitForSingleObject(b, 1000);
    ReleaseMutex(b);
  }).join();
  EXPECT_EQ(other, WAIT_OBJECT_0);
  CloseHandle(a);
  CloseHandle(b);
  EXPECT_LAST_ERROR(WaitForSingleObject(a, 0), WAIT_FAILED, ERROR_INVALID_HANDLE);
}

TEST(DebugOutput, TextsAreKeptForTests) {
  host::ClearDebugOutput();
  OutputDebugStringW(u"cmr: failed to trace");
  auto lines = host::DebugOutput();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], u"cmr: failed to trace");
}

}  // namespace
