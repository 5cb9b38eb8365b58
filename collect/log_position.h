// A position in an event log: the record number and time written of the last
// record collected. 0:0 means nothing is stored; 1:1 that the log was empty
// when the position was taken.
#pragma once

#include <cstdint>

namespace cmr {

struct LogPosition {
  uint32_t RecordNumber = 0;
  uint32_t TimeWritten = 0;  // seconds since 1970-01-01 00:00 UTC
};

// 1:1, the mark of a log that was empty when the position was taken.
inline bool IsSpecial(const LogPosition& p) { return p.RecordNumber == 1 && p.TimeWritten == 1; }

}  // namespace cmr
