#include "platform/formats/evt_record.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/formats/evt_layout.h"

namespace formats {
namespace {

void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + size);
}

void AppendText(std::vector<uint8_t>& out, const std::u16string& text) {
  AppendBytes(out, text.data(), text.size() * sizeof(char16_t));
  const char16_t nul = 0;
  AppendBytes(out, &nul, sizeof nul);
}

std::string Describe(const char* what, uint32_t offset, uint32_t length) {
  return std::string(what) + " (offset " + std::to_string(offset) + ", " + std::to_string(length) +
         " bytes) lies outside the record";
}

}  // namespace

std::vector<uint8_t> BuildEvtRecord(const EvtRecordFields& f) {
  if (f.strings.size() > std::numeric_limits<uint16_t>::max()) return {};
  uint64_t content =
      kEvtRecordFixedSize + (f.source.size() + 1) * 2 + (f.computer.size() + 1) * 2 + f.sid.size() + f.data.size();
  for (const auto& s : f.strings) content += (s.size() + 1) * 2;
  const uint64_t padding = 4 - content % 4;  // 1 to 4, never 0
  const uint64_t length = content + padding + 4;
  if (length > std::numeric_limits<uint32_t>::max()) return {};

  std::vector<uint8_t> out(kEvtRecordFixedSize);
  out.reserve(static_cast<size_t>(length));
  AppendText(out, f.source);
  AppendText(out, f.computer);

  EVENTLOGRECORD h{};
  h.Length = static_cast<uint32_t>(length);
  h.Reserved = kEvtSignature;
  h.RecordNumber = f.recordNumber;
  h.TimeGenerated = f.timeGenerated;
  h.TimeWritten = f.timeWritten;
  h.EventID = f.eventId;
  h.EventType = f.eventType;
  h.NumStrings = static_cast<uint16_t>(f.strings.size());
  h.EventCategory = f.category;
  h.UserSidOffset = static_cast<uint32_t>(out.size());
  h.UserSidLength = static_cast<uint32_t>(f.sid.size());
  AppendBytes(out, f.sid.data(), f.sid.size());
  h.StringOffset = static_cast<uint32_t>(out.size());
  for (const auto& s : f.strings) AppendText(out, s);
  h.DataOffset = static_cast<uint32_t>(out.size());
  h.DataLength = static_cast<uint32_t>(f.data.size());
  AppendBytes(out, f.data.data(), f.data.size());
  out.resize(out.size() + padding, 0);
  AppendBytes(out, &h.Length, sizeof h.Length);
  std::memcpy(out.data(), &h, sizeof h);
  return out;
}

std::string CheckEvtRecordFrame(std::span<const uint8_t> bytes) {
  if (bytes.size() < kEvtRecordMinSize) return "record is shorter than the smallest record";
  const auto length = LoadAt<uint32_t>(bytes, 0);
  if (LoadAt<uint32_t>(bytes, 4) != kEvtSignature) return "record has no 'LfLe' signature";
  if (length < kEvtRecordMinSize || length % 4 != 0)
    return "record length " + std::to_string(length) + " is not a valid record size";
  if (length != bytes.size())
    return "record length " + std::to_string(length) + " does not match its " + std::to_string(bytes.size()) + " bytes";
  if (LoadAt<uint32_t>(bytes, length - 4) != length) return "record's closing length does not match its length";
  return {};
}

EVENTLOGRECORD EvtRecordView::Header() const {
  EVENTLOGRECORD h{};
  std::memcpy(&h, bytes_.data(), std::min(bytes_.size(), sizeof h));
  return h;
}

size_t EvtRecordView::ContentEnd() const { return bytes_.size() >= 4 ? bytes_.size() - 4 : 0; }

std::optional<size_t> EvtRecordView::TextEnd(size_t offset) const {
  const size_t end = ContentEnd();
  // Four units at a time while none of them is zero (a zero unit borrows
  // into its own top bit), then unit by unit.
  constexpr uint64_t kLowBits = 0x0001000100010001ull, kHighBits = 0x8000800080008000ull;
  for (; offset + 8 <= end; offset += 8) {
    uint64_t units = 0;
    std::memcpy(&units, bytes_.data() + offset, sizeof units);
    if (((units - kLowBits) & ~units & kHighBits) != 0) break;
  }
  for (; offset + 2 <= end; offset += 2) {
    if (bytes_[offset] == 0 && bytes_[offset + 1] == 0) return offset;
  }
  return std::nullopt;
}

std::optional<size_t> EvtRecordView::ReadText(size_t offset, std::u16string* out) const {
  const std::optional<size_t> nul = TextEnd(offset);
  // A text without end is read up to the last whole unit before ContentEnd().
  const size_t stop = nul ? *nul : offset + (ContentEnd() > offset ? (ContentEnd() - offset) / 2 * 2 : 0);
  out->resize((stop - offset) / 2);
  if (!out->empty()) std::memcpy(out->data(), bytes_.data() + offset, stop - offset);
  if (!nul) return std::nullopt;
  return *nul + 2;
}

std::u16string EvtRecordView::Source() const {
  std::u16string text;
  ReadText(kEvtRecordFixedSize, &text);
  return text;
}

std::u16string EvtRecordView::Computer() const {
  std::u16string text;
  const auto after = ReadText(kEvtRecordFixedSize, &text);
  if (!after) return {};
  ReadText(*after, &text);
  return text;
}

std::span<const uint8_t> EvtRecordView::Field(uint32_t offset, uint32_t length) const {
  if (length == 0 || offset < kEvtRecordFixedSize || offset > ContentEnd() || length > ContentEnd() - offset) return {};
  return bytes_.subspan(offset, length);
}

std::span<const uint8_t> EvtRecordView::Sid() const {
  const auto h = Header();
  return Field(h.UserSidOffset, h.UserSidLength);
}

std::span<const uint8_t> EvtRecordView::Data() const {
  const auto h = Header();
  return Field(h.DataOffset, h.DataLength);
}

std::vector<std::u16string> EvtRecordView::ReadStrings(bool* complete) const {
  const auto h = Header();
  std::vector<std::u16string> strings;
  *complete = h.NumStrings == 0;
  if (h.NumStrings == 0 || h.StringOffset < kEvtRecordFixedSize) return strings;
  size_t offset = h.StringOffset;
  for (uint16_t i = 0; i < h.NumStrings && offset < ContentEnd(); ++i) {
    std::u16string text;
    const auto after = ReadText(offset, &text);
    strings.push_back(std::move(text));
    if (!after) return strings;
    offset = *after;
  }
  *complete = strings.size() == h.NumStrings;
  return strings;
}

bool EvtRecordView::StringsComplete() const {
  const auto h = Header();
  if (h.NumStrings == 0) return true;
  if (h.StringOffset < kEvtRecordFixedSize) return false;
  size_t offset = h.StringOffset;
  for (uint16_t i = 0; i < h.NumStrings; ++i) {
    const auto nul = offset < ContentEnd() ? TextEnd(offset) : std::nullopt;
    if (!nul) return false;
    offset = *nul + 2;
  }
  return true;
}

std::vector<std::u16string> EvtRecordView::Strings() const {
  bool complete = false;
  return ReadStrings(&complete);
}

EvtRecordFields EvtRecordView::Fields() const {
  const auto h = Header();
  EvtRecordFields f;
  f.source = Source();
  f.computer = Computer();
  f.recordNumber = h.RecordNumber;
  f.eventId = h.EventID;
  f.eventType = h.EventType;
  f.category = h.EventCategory;
  f.timeGenerated = h.TimeGenerated;
  f.timeWritten = h.TimeWritten;
  const auto sid = Sid();
  f.sid.assign(sid.begin(), sid.end());
  f.strings = Strings();
  const auto data = Data();
  f.data.assign(data.begin(), data.end());
  return f;
}

std::vector<std::string> EvtRecordView::Problems() const {
  std::vector<std::string> problems;
  if (bytes_.size() < kEvtRecordMinSize) {
    problems.push_back("record is shorter than the smallest record");
    return problems;
  }
  const auto h = Header();
  const auto sourceEnd = TextEnd(kEvtRecordFixedSize);
  if (!sourceEnd) problems.push_back("source name has no end");
  else if (!TextEnd(*sourceEnd + 2)) problems.push_back("computer name has no end");
  if (h.UserSidLength != 0 && Sid().empty()) problems.push_back(Describe("SID", h.UserSidOffset, h.UserSidLength));
  if (h.DataLength != 0 && Data().empty()) problems.push_back(Describe("data", h.DataOffset, h.DataLength));
  if (!StringsComplete())
    problems.push_back("insertion strings are cut off by the end of the record (" + std::to_string(h.NumStrings) +
                       " expected)");
  return problems;
}

}  // namespace formats
