// Records read from a log file, printed for people ("record N" and aligned
// "name  value" lines) or as one JSON object per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

struct PrintedField {
  std::string name;
  std::string type;     // the value's type; empty when the format has none
  std::u16string text;  // the value as text
  bool number = false;  // a JSON number rather than a string
  // An array value: its elements as texts (a JSON array; `text` joins them
  // for people), numbers when `number` is set.
  bool array = false;
  std::vector<std::u16string> items;
};

struct PrintedRecord {
  std::vector<PrintedField> fields;
  // The record's values in order: insertion strings, or user data.
  std::string valuesName;  // "Strings" or "EventData"
  std::vector<PrintedField> values;
};

class RecordPrinter {
 public:
  explicit RecordPrinter(bool json) : json_(json) {}
  void Print(const PrintedRecord& record);
  size_t Count() const { return count_; }
  bool Json() const { return json_; }

 private:
  bool json_;
  size_t count_ = 0;
};

// "2024-03-04T08:00:00Z" of seconds since 1970 (UTC).
std::u16string UnixTimeText(int64_t seconds);

}  // namespace tool
