#include "filter/id_ranges.h"

#include <stdexcept>

#include "base/text.h"

namespace cmr {

namespace {

uint32_t ReadNumber(std::u16string_view text) { return static_cast<uint32_t>(cmr::ParseInt32(text)); }

IdRange ReadRange(std::u16string_view piece) {
  size_t dash = piece.find(u'-');
  if (dash == std::u16string_view::npos) {
    uint32_t n = ReadNumber(piece);
    return {n, n};
  }
  return {ReadNumber(piece.substr(0, dash)), ReadNumber(piece.substr(dash + 1))};
}

}  // namespace

void ParseIdRanges(std::u16string_view text, IdRangeList& ranges) {
  ranges.clear();
  if (text.empty()) return;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(u',', start);
    IdRange range = ReadRange(text.substr(start, comma == std::u16string_view::npos ? comma : comma - start));
    if (range.first > range.second) throw std::runtime_error("Invalid EventID filter");
    ranges.push_back(range);
    if (comma == std::u16string_view::npos) return;
    start = comma + 1;
  }
}

IdRangeList ParseIdRanges(std::u16string_view text) {
  IdRangeList ranges;
  ParseIdRanges(text, ranges);
  return ranges;
}

std::u16string IdRangesToString(const IdRangeList& ranges) {
  std::u16string text;
  for (const IdRange& r : ranges) {
    if (!text.empty()) text += u',';
    text += cmr::ToText(static_cast<int32_t>(r.first));
    if (r.first != r.second) {
      text += u'-';
      text += cmr::ToText(static_cast<int32_t>(r.second));
    }
  }
  return text;
}

bool IdRangesContain(const IdRangeList& ranges, uint32_t value) {
  for (const IdRange& r : ranges)
    if (r.first <= value && value <= r.second) return true;
  return false;
}

}  // namespace cmr
