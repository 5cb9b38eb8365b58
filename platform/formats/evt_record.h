// One classic event record (EVENTLOGRECORD) as bytes: the builder that lays
// out a record from its fields exactly as Windows writes it, and a read-only
// view that parses a record without ever reading outside its bytes.
//
// Layout written by the builder (as seen in real files):
//   fixed part (0x38) | source name\0 | computer name\0 | SID | strings\0...
//   | data | 1 to 4 bytes of zero padding | Length
// UserSidOffset is set even when there is no SID, and StringOffset equals
// DataOffset when there are no insertion strings.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/api/eventlog.h"

namespace formats {

struct EvtRecordFields {
  std::u16string source{};
  std::u16string computer{};
  uint32_t recordNumber = 0;
  uint32_t eventId = 0;
  uint16_t eventType = EVENTLOG_INFORMATION_TYPE;
  uint16_t category = 0;
  uint32_t timeGenerated = 0;  // seconds since 1970-01-01 UTC
  uint32_t timeWritten = 0;
  std::vector<uint8_t> sid{};  // a SID structure, or empty
  std::vector<std::u16string> strings{};
  std::vector<uint8_t> data{};

  bool operator==(const EvtRecordFields&) const = default;
};

// The record bytes for fields (Length bytes, closing length included).
// Empty when the fields cannot make a record (more than 65535 strings or a
// record larger than 4 GiB).
std::vector<uint8_t> BuildEvtRecord(const EvtRecordFields& fields);

// Checks the frame of a record: Length (at least the minimum, a multiple of
// 4, equal to bytes.size()), the 'LfLe' signature and the closing length.
// Returns an empty string when sound, else what is wrong.
std::string CheckEvtRecordFrame(std::span<const uint8_t> bytes);

class EvtRecordView {
 public:
  // bytes: one record; the view reads nothing outside them.
  explicit EvtRecordView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::span<const uint8_t> Bytes() const { return bytes_; }
  // The fixed part; zero-filled where the bytes are shorter.
  EVENTLOGRECORD Header() const;
  uint32_t RecordNumber() const { return Header().RecordNumber; }

  std::u16string Source() const;
  std::u16string Computer() const;
  // Empty when the record has no SID or its SID lies outside the record.
  std::span<const uint8_t> Sid() const;
  // The insertion strings that can be read; a string cut off by the end of
  // the record is returned up to the cut, later ones are left out.
  std::vector<std::u16string> Strings() const;
  // Empty when there is no data or it lies outside the record.
  std::span<const uint8_t> Data() const;

  EvtRecordFields Fields() const;

  // What is wrong inside the record (names without end, fields outside the
  // record, strings cut off); empty for a sound record.
  std::vector<std::string> Problems() const;

 private:
  // End of the variable part: the closing length is not content.
  size_t ContentEnd() const;
  // Reads a NUL-terminated UTF-16 text from offset up to ContentEnd(); the
  // offset after the NUL, or nullopt when the text has no end.
  std::optional<size_t> ReadText(size_t offset, std::u16string* out) const;
  // The offset of the NUL that ends the text at offset, without reading it.
  std::optional<size_t> TextEnd(size_t offset) const;
  std::vector<std::u16string> ReadStrings(bool* complete) const;
  // Whether all NumStrings strings end inside the record.
  bool StringsComplete() const;
  std::span<const uint8_t> Field(uint32_t offset, uint32_t length) const;

  std::span<const uint8_t> bytes_;
};

}  // namespace formats
