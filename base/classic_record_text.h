// The texts of a classic EVENTLOGRECORD: the source and computer names after
// the fixed part, and the insertion strings at StringOffset. Reads stay inside
// the record's Length; a text that runs past it counts as missing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/api/eventlog.h"

namespace cmr {

class ClassicRecordText {
 public:
  explicit ClassicRecordText(const EVENTLOGRECORD* record) : record_(record) {}

  std::u16string_view SourceName() const;
  std::u16string_view ComputerName() const;

  // Walks the insertion strings in order.
  class Strings {
   public:
    explicit Strings(const EVENTLOGRECORD* record);
    // The next string; false when the record has no more (or it is damaged).
    bool Next(std::u16string_view& text);

   private:
    const EVENTLOGRECORD* record_;
    DWORD offset_;
    DWORD left_;
  };

 private:
  const EVENTLOGRECORD* record_;
};

// The record held by `bytes` when its Length lies inside them (and covers the
// fixed part); null otherwise, so that nothing is read outside the bytes.
const EVENTLOGRECORD* ClassicRecordIn(std::span<const uint8_t> bytes);

// All the insertion strings that can be read, in order.
std::vector<std::u16string_view> InsertionStrings(const EVENTLOGRECORD* record);

// The NUL-terminated UTF-16 text at `offset` of the record; false when it does
// not end inside the record. `next` receives the offset after its NUL.
bool ReadRecordText(const EVENTLOGRECORD* record, DWORD offset, std::u16string_view& text, DWORD& next);

}  // namespace cmr
