// Civil dates (proleptic Gregorian) of day counts since 1601-01-01, the day
// FILETIME counts from: one conversion for the host's time calls and for the
// component's time texts.
#pragma once

#include <cstdint>

namespace plat {

struct CivilDate {
  int64_t year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};

// The days from 0000-03-01, where the calendar's 400-year cycles start
// (the leap day last in a year), to 1601-01-01.
inline constexpr int64_t kDaysFromCycleStartTo1601 = 584694;

// The date `days` days after 1601-01-01 (before it when negative).
constexpr CivilDate CivilFromDays(int64_t days) {
  days += kDaysFromCycleStartTo1601;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
  CivilDate date{};
  date.day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  date.month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  date.year = static_cast<int64_t>(yearOfEra) + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

}  // namespace plat
