// The record ids a collection passed over, for its warning: gaps between
// the ids of events read one after another (events a damaged log could not
// give), and the ids between the stored event and the first one read when
// the stored event was no longer in the log (events overwritten before they
// were collected). Ids that go down (a cleared log starting again) are no
// gap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cmr {

class RecordGaps {
 public:
  // The next event read should be the one after `recordNumber` (the low 32
  // bits of an id, as positions keep it); when it is not, the ids between
  // were lost: overwritten when `overwritten`, else unreadable.
  void ExpectAfter(uint32_t recordNumber, bool overwritten);
  // An event read, in reading order.
  void Note(uint64_t recordId);

  bool Unreadable() const;
  // One sentence per gap (at most kNamed, then how many more), each ending
  // in a space; empty without gaps.
  std::u16string WarningText() const;

  static constexpr size_t kNamed = 10;

 private:
  struct Gap {
    uint64_t first;
    uint64_t last;
    bool overwritten;
  };

  std::vector<Gap> gaps_;
  uint64_t previous_ = 0;  // 0: nothing to compare with
  bool lowOnly_ = false;   // previous_ holds only the low 32 bits
  bool overwritten_ = false;
};

}  // namespace cmr
