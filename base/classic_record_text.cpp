#include "base/classic_record_text.h"

#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define EC_RECORD_TEXT_SSE2 1
#endif

namespace cmr {

namespace {

// The index of the first NUL among chars[0..room); room when there is none.
// Eight units are compared at a time where the SSE2 instructions exist.
size_t FindNul(const char16_t* chars, size_t room) {
  size_t n = 0;
#ifdef EC_RECORD_TEXT_SSE2
  const __m128i zero = _mm_setzero_si128();
  for (; room - n >= 8; n += 8) {
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + n));
    int nuls = _mm_movemask_epi8(_mm_cmpeq_epi16(units, zero));
    if (nuls != 0) return n + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(nuls))) / 2;
  }
#endif
  while (n < room && chars[n] != 0) ++n;
  return n;
}

}  // namespace

bool ReadRecordText(const EVENTLOGRECORD* record, DWORD offset, std::u16string_view& text, DWORD& next) {
  DWORD end = record->Length;
  if (offset % 2 != 0 || offset < sizeof(EVENTLOGRECORD) || offset >= end) return false;
  const auto* base = reinterpret_cast<const unsigned char*>(record);
  const auto* chars = reinterpret_cast<const char16_t*>(base + offset);
  size_t room = (end - offset) / 2;
  size_t n = FindNul(chars, room);
  if (n == room) return false;
  text = std::u16string_view(chars, n);
  next = offset + static_cast<DWORD>((n + 1) * 2);
  return true;
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

}  // namespace cmr
