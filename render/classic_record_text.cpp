#include "render/classic_record_text.h"

bool ReadRecordText(const EVENTLOGRECORD* record, DWORD offset, std::u16string_view& text, DWORD& next) {
  DWORD end = record->Length;
  if (offset % 2 != 0 || offset < sizeof(EVENTLOGRECORD) || offset >= end) return false;
  const auto* base = reinterpret_cast<const unsigned char*>(record);
  const auto* chars = reinterpret_cast<const char16_t*>(base + offset);
  size_t room = (end - offset) / 2;
  for (size_t n = 0; n < room; ++n) {
    if (chars[n] == 0) {
      text = std::u16string_view(chars, n);
      next = offset + static_cast<DWORD>((n + 1) * 2);
      return true;
    }
  }
  return false;
}

std::u16string_view ClassicRecordText::SourceName() const {
  std::u16string_view text;
  DWORD next;
  return ReadRecordText(record_, sizeof(EVENTLOGRECORD), text, next) ? text : std::u16string_view();
}

std::u16string_view ClassicRecordText::ComputerName() const {
  std::u16string_view text;
  DWORD next;
  if (!ReadRecordText(record_, sizeof(EVENTLOGRECORD), text, next)) return {};
  return ReadRecordText(record_, next, text, next) ? text : std::u16string_view();
}

ClassicRecordText::Strings::Strings(const EVENTLOGRECORD* record)
    : record_(record), offset_(record->StringOffset), left_(record->NumStrings) {}

bool ClassicRecordText::Strings::Next(std::u16string_view& text) {
  if (left_ == 0) return false;
  if (!ReadRecordText(record_, offset_, text, offset_)) {
    left_ = 0;
    return false;
  }
  --left_;
  return true;
}

const EVENTLOGRECORD* ClassicRecordIn(std::span<const uint8_t> bytes) {
  if (bytes.size() < sizeof(EVENTLOGRECORD)) return nullptr;
  const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(bytes.data());
  if (record->Length < sizeof(EVENTLOGRECORD) || record->Length > bytes.size()) return nullptr;
  return record;
}

std::vector<std::u16string_view> InsertionStrings(const EVENTLOGRECORD* record) {
  std::vector<std::u16string_view> strings;
  strings.reserve(record->NumStrings);
  ClassicRecordText::Strings walk(record);
  std::u16string_view text;
  while (walk.Next(text)) strings.push_back(text);
  return strings;
}
