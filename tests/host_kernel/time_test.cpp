#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/api/kernel.h"
#include "platform/host/kernel/clock.h"

namespace {

FILETIME Ft(ULONGLONG v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }
ULONGLONG Ticks(const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; }

// Every field of the time, the day of the week included.
std::string Text(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%u-%u-%u day %u %u:%u:%u.%u", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

TEST(Time, FileTimeAndSystemTimeRoundTripAndFieldsAreValidated) {
  // 2012-02-29 23:59:58.123 UTC, a Wednesday.
  SYSTEMTIME st{2012, 2, 0, 29, 23, 59, 58, 123};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(Ticks(ft), host::kUnixEpochAsFileTime + 1330559998123ULL * 10000);
  SYSTEMTIME back{};
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(Text(back), "2012-2-29 day 3 23:59:58.123");

  FILETIME zero = Ft(0);
  ASSERT_TRUE(FileTimeToSystemTime(&zero, &back));
  EXPECT_EQ(Text(back), "1601-1-1 day 1 0:0:0.0");  // a Monday
  FILETIME last = Ft(0x7FFFFFFFFFFFFFFFULL);
  ASSERT_TRUE(FileTimeToSystemTime(&last, &back));
  EXPECT_EQ(back.wYear, 30828);
  FILETIME tooLarge = Ft(0x8000000000000000ULL);
  EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &back));

  const SYSTEMTIME bad[] = {
      {2011, 2, 0, 29, 0, 0, 0, 0},   // not a leap year
      {1600, 12, 0, 31, 0, 0, 0, 0},  // before 1601
      {2000, 13, 0, 1, 0, 0, 0, 0},  {2000, 4, 0, 31, 0, 0, 0, 0}, {2000, 1, 0, 1, 24, 0, 0, 0},
      {2000, 1, 0, 1, 0, 60, 0, 0},  {2000, 1, 0, 1, 0, 0, 60, 0}, {2000, 1, 0, 1, 0, 0, 0, 1000},
  };
  for (const auto& wrong : bad) {
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&wrong, &ft)) << wrong.wYear << "-" << wrong.wMonth << "-" << wrong.wDay;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  SYSTEMTIME leap{2000, 2, 6, 29, 0, 0, 0, 0};  // day of week is ignored
  EXPECT_TRUE(SystemTimeToFileTime(&leap, &ft));
}

TEST(Time, LocalTimeFollowsTheHostBiasAndVirtualClock) {
  SYSTEMTIME start{2020, 6, 0, 30, 23, 30, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&start, &ft));
  host::UseVirtualClock(Ticks(ft));
  host::SetLocalTimeBiasMinutes(60);
  SYSTEMTIME local;
  GetLocalTime(&local);
  EXPECT_EQ(Text(local), "2020-7-1 day 3 0:30:0.0");
  FILETIME localFt;
  ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &localFt));
  EXPECT_EQ(CompareFileTime(&ft, &localFt), -1);
  ULONGLONG before = GetTickCount64();
  Sleep(180000);
  EXPECT_EQ(GetTickCount64() - before, 180000u);
  host::SetLocalTimeBiasMinutes(0);
  host::UseRealClock();
}

TEST(Uuid, RandomVersion4) {
  UUID a, b;
  ASSERT_EQ(UuidCreate(&a), RPC_S_OK);
  ASSERT_EQ(UuidCreate(&b), RPC_S_OK);
  EXPECT_NE(a, b);
  EXPECT_EQ(a.Data3 >> 12, 4);
  EXPECT_EQ(a.Data4[0] & 0xC0, 0x80);
}

}  // namespace
