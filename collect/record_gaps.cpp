#include "collect/record_gaps.h"

#include <algorithm>

#include "base/format.h"

namespace cmr {

void RecordGaps::ExpectAfter(uint32_t recordNumber, bool overwritten) {
  previous_ = recordNumber;
  lowOnly_ = true;
  overwritten_ = overwritten;
}

void RecordGaps::Note(uint64_t recordId) {
  // A stored number has the high part of the events around it.
  if (lowOnly_) previous_ |= recordId & 0xFFFFFFFF00000000ull;
  if (previous_ != 0 && recordId > previous_ + 1) gaps_.push_back({previous_ + 1, recordId - 1, overwritten_});
  previous_ = recordId;
  lowOnly_ = false;
  overwritten_ = false;
}

bool RecordGaps::Unreadable() const {
  return std::any_of(gaps_.begin(), gaps_.end(), [](const Gap& g) { return !g.overwritten; });
}

std::u16string RecordGaps::WarningText() const {
  std::u16string text;
  for (size_t i = 0; i < gaps_.size() && i < kNamed; ++i) {
    const Gap& g = gaps_[i];
    if (g.first == g.last && g.overwritten) {
      text += FormatString(u"Event record %I64u was overwritten before it was collected. ", g.first);
    } else if (g.first == g.last) {
      text += FormatString(u"Event record %I64u could not be read and was skipped. ", g.first);
    } else if (g.overwritten) {
      text +=
          FormatString(u"Event records %I64u to %I64u were overwritten before they were collected. ", g.first, g.last);
    } else {
      text += FormatString(u"Event records %I64u to %I64u could not be read and were skipped. ", g.first, g.last);
    }
  }
  if (gaps_.size() > kNamed)
    text += FormatString(u"%u more gaps in the record ids were passed over. ",
                         static_cast<unsigned>(gaps_.size() - kNamed));
  return text;
}

}  // namespace cmr
