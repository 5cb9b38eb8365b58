// The warning a collection adds when the last stored event was not found in
// the log: records were overwritten before they could be collected.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cmr {

// A time of seconds since 1970 as "MM/DD/YYYY hh:mm:ss (GMT)".
std::u16string GmtTimeText(uint32_t seconds);

// The sentence for the log: the time of the last collected event, the time
// of the first new one (0 when none was read) and the hours lost, counted
// as started hours and at least 1.
std::u16string OverwriteWarning(std::u16string_view logName, uint32_t lastCollected, uint32_t firstNew);

}  // namespace cmr
