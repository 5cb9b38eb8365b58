// Time texts of event entries. All times are UTC; nothing is converted to
// local time.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

// A FILETIME as "YYYY-MM-DDThh:mm:ss.uuuuuuZ" (microseconds); "" when the
// FILETIME cannot be converted.
std::u16string FileTimeToIsoText(uint64_t fileTime);

// "TW" of a classic record: seconds since 1970 as "YYYY-MM-DD hh-mm-ss 0".
std::u16string ClassicTimeText(uint32_t timeWritten);

// "TW" of a Windows Event Log event: "YYYY-MM-DD hh-mm-ss mmm" (milliseconds).
// Raises cmr::Win32Exception when the FILETIME cannot be converted.
std::u16string EventTimeText(uint64_t fileTime);

// The most units of a "TW" text (a five-digit year at most).
constexpr size_t kEntryTimeChars = 24;
// ClassicTimeText and EventTimeText written at `out` (room for
// kEntryTimeChars units); they return the end of the text.
char16_t* PutClassicTimeText(char16_t* out, uint32_t timeWritten);
char16_t* PutEventTimeText(char16_t* out, uint64_t fileTime);

// FILETIME of seconds since 1970 and back (fractions dropped; 0 stays 0).
uint64_t UnixSecondsToFileTime(uint64_t seconds);
uint64_t FileTimeToUnixSeconds(uint64_t fileTime);

}  // namespace cmr
