// The warning a collection adds when the last stored event was not found:
// the log overwrote records before they were collected.
#pragma once

#include <cstdint>
#include <string>

namespace cmr {

// The sentence for the log, the time of the last collected event and the
// time of the first new one (seconds since 1970, UTC), with the estimated
// hours lost: (first - last) / 3600 + 1, at least 1.
std::u16string OverwriteWarning(const std::u16string& logName, uint32_t lastCollected, uint32_t firstNew);

}  // namespace cmr
