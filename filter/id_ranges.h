// Lists of number ranges as filters keep event IDs and levels, and their text
// form: "4624,4625,4700-4705".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cmr {

// (low, high), both inclusive.
using IdRange = std::pair<uint32_t, uint32_t>;
using IdRangeList = std::vector<IdRange>;

// Empties `ranges`, then appends one range per comma-separated piece: "n" is
// n-n, "a-b" is a-b, an empty piece 0-0; numbers are read as _wtoi reads them.
// A piece whose low end exceeds its high end throws std::runtime_error
// ("Invalid EventID filter"); the pieces before it stay in `ranges`.
void ParseIdRanges(std::u16string_view text, IdRangeList& ranges);
IdRangeList ParseIdRanges(std::u16string_view text);

// "low-high" or "low" per range, joined by ","; numbers in signed decimal.
std::u16string IdRangesToString(const IdRangeList& ranges);

bool IdRangesContain(const IdRangeList& ranges, uint32_t value);

}  // namespace cmr
