#include "platform/formats/evt_reader.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/formats/evt_ring.h"

namespace formats {
namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Finds the records of one file, hands each to the sink in order and fills
// the rest of an EvtFile.
class EvtScanner {
 public:
  EvtScanner(const EvtSource& bytes, EvtFile& out, const EvtRecordSink& sink) : bytes_(bytes), out_(out), sink_(sink) {}

  void Run();

 private:
  bool ReadHeader();
  bool UseCleanHeader(const EvtRing& ring);
  std::optional<uint32_t> FindEof(const EvtRing& ring, uint32_t from);
  bool UseEofRecord(const EvtRing& ring);
  // Walks the records from start to end, in two parts when they wrap in a
  // file that may not wrap.
  void WalkLog(const EvtRing& ring, uint32_t start, std::optional<uint32_t> end);
  void Walk(const EvtRing& ring, uint32_t start, std::optional<uint32_t> end);
  std::optional<std::vector<uint8_t>> RecordAt(const EvtRing& ring, uint32_t pos, std::optional<uint32_t> end,
                                               std::string* why) const;

 public:
  // Only where the records lie, from a clean header: false when that is not
  // enough and the file must be scanned.
  bool Locate();

 private:
  std::optional<uint32_t> Resync(const EvtRing& ring, uint32_t from, std::optional<uint32_t> end,
                                 uint32_t budget) const;
  bool Follows(const std::vector<uint8_t>& record) const;
  void Accept(uint32_t pos, std::vector<uint8_t> record);
  // claimsTrusted: the header's or end-of-file record's numbers describe the
  // records; claimsCount: the records they claim and were not read are lost.
  void SettleNumbers(bool claimsTrusted, bool claimsCount = true);
  void Note(uint32_t offset, std::string message) { out_.diagnostics.push_back({offset, std::move(message)}); }

  const EvtSource& bytes_;
  EvtFile& out_;
  const EvtRecordSink& sink_;
  uint32_t firstNumber_ = 0;  // of the records accepted; 0 before the first
  uint32_t lastNumber_ = 0;
  uint32_t claimedOldest_ = 0;
  uint32_t claimedCurrent_ = 0;
};

void EvtScanner::Run() {
  if (!ReadHeader()) return;
  const uint32_t size = out_.fileSize;
  const auto& h = out_.header;
  if (out_.headerValid && (h.StartOffset >= size || h.EndOffset >= size))
    Note(0, "the header's offsets (start " + Hex(h.StartOffset) + ", end " + Hex(h.EndOffset) +
                ") lie beyond the end of the file (" + Hex(size) + " bytes): the file is truncated");
  // A log wraps only once its file has reached the maximum size; in a
  // shorter file the end of the file is not where the records wrap.
  const EvtRing ring = EvtScanRing(out_);

  if (UseCleanHeader(ring)) {
    WalkLog(ring, out_.startOffset, out_.endOffset);
    SettleNumbers(true);
    return;
  }
  if (UseEofRecord(ring)) {
    if (!ring.Contains(out_.startOffset)) {
      Note(out_.endOffset, "the end-of-file record's start offset " + Hex(out_.startOffset) +
                               " lies outside the file; reading from the start of the data area");
      out_.startOffset = kEvtHeaderSize;
    }
    WalkLog(ring, out_.startOffset, out_.endOffset);
    SettleNumbers(true);
    return;
  }
  Note(0, "no end-of-file record was found; records are read while their numbers go up");
  out_.startOffset = ring.Contains(h.StartOffset) && out_.headerValid ? h.StartOffset : kEvtHeaderSize;
  WalkLog(ring, out_.startOffset, std::nullopt);
  // A clean header still tells which records the log held: a truncated file
  // lost those it cannot give.
  SettleNumbers(false, out_.headerValid && !out_.Dirty());
}

void EvtScanner::WalkLog(const EvtRing& ring, uint32_t start, std::optional<uint32_t> end) {
  if (ring.Wraps() || (end && start <= *end)) {
    Walk(ring, start, end);
    return;
  }
  if (end)
    Note(start, "the records wrap around but the file (" + Hex(ring.FileSize()) +
                    " bytes) is shorter than the log's maximum size: it is read as truncated");
  Walk(ring, start, std::nullopt);
  if (start > kEvtHeaderSize) Walk(ring, kEvtHeaderSize, end);
}

bool EvtScanner::ReadHeader() {
  const uint32_t size = bytes_.Size();
  out_.fileSize = size;
  if (size < kEvtHeaderSize) {
    Note(0, "the file (" + std::to_string(size) + " bytes) is shorter than an event log header");
    return false;
  }
  ELF_LOGFILE_HEADER h{};
  bytes_.Read(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(&h), sizeof h));
  out_.header = h;
  out_.headerValid = h.HeaderSize == kEvtHeaderSize && h.EndHeaderSize == kEvtHeaderSize &&
                     h.Signature == kEvtSignature && h.MajorVersion == 1 && h.MinorVersion == 1;
  if (!out_.headerValid)
    Note(0, "the file header is not a valid event log header (size, 'LfLe' signature or version 1.1)");
  if (size < kEvtHeaderSize + kEvtEofSize) {
    Note(kEvtHeaderSize, "the file has no room for records");
    return false;
  }
  claimedOldest_ = h.OldestRecordNumber;
  claimedCurrent_ = h.CurrentRecordNumber;
  return true;
}

bool EvtScanner::UseCleanHeader(const EvtRing& ring) {
  const auto& h = out_.header;
  if (!out_.headerValid || out_.Dirty()) return false;
  if (!ring.Contains(h.StartOffset) || !ring.Contains(h.EndOffset)) return false;
  if (!ring.Fits(h.EndOffset, kEvtEofSize) || !IsEofRecord(ring.Load<ELF_EOF_RECORD>(bytes_, h.EndOffset))) {
    Note(h.EndOffset, "no end-of-file record at the header's end offset");
    return false;
  }
  out_.eofFound = true;
  out_.startOffset = h.StartOffset;
  out_.endOffset = h.EndOffset;
  return true;
}

std::optional<uint32_t> EvtScanner::FindEof(const EvtRing& ring, uint32_t from) {
  if (!ring.Contains(from)) from = kEvtHeaderSize;
  from = kEvtHeaderSize + ((from - kEvtHeaderSize) & ~3u);
  const EvtRing round(ring.FileSize());  // every position once, from `from` on
  for (uint32_t walked = 0; walked < ring.Capacity(); walked += 4) {
    const uint32_t pos = round.Advance(from, walked);
    if (!ring.Fits(pos, kEvtEofSize) || ring.Load<uint32_t>(bytes_, pos) != kEvtEofLead[0]) continue;
    if (IsEofRecord(ring.Load<ELF_EOF_RECORD>(bytes_, pos))) return pos;
  }
  return std::nullopt;
}

bool EvtScanner::UseEofRecord(const EvtRing& ring) {
  const auto pos = FindEof(ring, out_.header.EndOffset);
  if (!pos) return false;
  const auto eof = ring.Load<ELF_EOF_RECORD>(bytes_, *pos);
  out_.eofFound = true;
  out_.endOffset = *pos;
  out_.startOffset = eof.BeginRecord;
  claimedOldest_ = eof.OldestRecordNumber;
  claimedCurrent_ = eof.CurrentRecordNumber;
  if (eof.EndRecord != *pos) Note(*pos, "the end-of-file record gives its own offset as " + Hex(eof.EndRecord));
  return true;
}

bool EvtScanner::Follows(const std::vector<uint8_t>& record) const {
  const uint32_t number = EvtRecordView(record).RecordNumber();  // numbers start at 1
  return number != 0 && (out_.recordCount == 0 || number > lastNumber_);
}

void EvtScanner::Accept(uint32_t pos, std::vector<uint8_t> record) {
  const EvtRecordView view(record);
  const uint32_t number = view.RecordNumber();
  if (out_.recordCount > 0 && number != lastNumber_ + 1) {
    Note(pos, "record numbers jump from " + std::to_string(lastNumber_) + " to " + std::to_string(number));
    out_.skipped += number - lastNumber_ - 1;
  }
  for (auto& problem : view.Problems()) Note(pos, "record " + std::to_string(number) + ": " + problem);
  if (out_.recordCount++ == 0) firstNumber_ = number;
  lastNumber_ = number;
  sink_(EvtRecord{pos, std::move(record)});
}

void EvtScanner::Walk(const EvtRing& ring, uint32_t start, std::optional<uint32_t> end) {
  uint32_t pos = start;
  uint32_t walked = 0;
  while (walked < ring.Capacity()) {
    if (end && pos == *end) return;
    std::string why;
    auto record = RecordAt(ring, pos, end, &why);
    if (record && Follows(*record)) {
      const auto length = static_cast<uint32_t>(record->size());
      Accept(pos, std::move(*record));
      pos = ring.Advance(pos, length);
      walked += length;
      continue;
    }
    if (record)
      why = "record number " + std::to_string(EvtRecordView(*record).RecordNumber()) + " does not follow " +
            (out_.recordCount == 0 ? std::string("the start of the log") : std::to_string(lastNumber_));
    const auto next = Resync(ring, ring.Advance(pos, 4), end, ring.Capacity() - walked);
    if (!next) {
      // Without a known end, the first thing that is not a following record
      // is where the log ends.
      if (end) Note(pos, why + "; no further records up to the end of the log");
      return;
    }
    const uint32_t skipped = ring.Distance(pos, *next);
    Note(pos, why + "; skipped " + std::to_string(skipped) + " bytes");
    walked += skipped;
    pos = *next;
  }
  if (end) Note(pos, "the records do not reach the end-of-file record");
}

std::optional<std::vector<uint8_t>> EvtScanner::RecordAt(const EvtRing& ring, uint32_t pos, std::optional<uint32_t> end,
                                                         std::string* why) const {
  const uint32_t length = EvtFramedLength(bytes_, ring, pos, end, why);
  if (length == 0) return std::nullopt;
  std::vector<uint8_t> record(length);
  ring.Read(bytes_, pos, record);
  return record;
}

bool EvtScanner::Locate() {
  if (!ReadHeader() || !out_.headerValid) return false;
  const auto& h = out_.header;
  const uint32_t size = out_.fileSize;
  if (h.StartOffset >= size || h.EndOffset >= size) return false;
  const EvtRing ring = EvtScanRing(out_);
  if (!UseCleanHeader(ring) || !out_.diagnostics.empty()) return false;
  if (!ring.Wraps() && out_.startOffset > out_.endOffset) return false;
  const bool empty = claimedOldest_ == 0;
  if (empty ? out_.startOffset != out_.endOffset : claimedCurrent_ <= claimedOldest_) return false;
  out_.oldestRecordNumber = claimedOldest_;
  out_.currentRecordNumber = claimedCurrent_ != 0 ? claimedCurrent_ : 1;
  out_.recordCount = empty ? 0 : claimedCurrent_ - claimedOldest_;
  return true;
}

std::optional<uint32_t> EvtScanner::Resync(const EvtRing& ring, uint32_t from, std::optional<uint32_t> end,
                                           uint32_t budget) const {
  uint32_t pos = from;
  for (uint32_t scanned = 4; scanned < budget; scanned += 4, pos = ring.Advance(pos, 4)) {
    if (end && pos == *end) return pos;
    if (!ring.Fits(pos, 8)) return std::nullopt;
    if (ring.Load<uint32_t>(bytes_, ring.Advance(pos, 4)) != kEvtSignature) continue;
    std::string why;
    const auto record = RecordAt(ring, pos, end, &why);
    if (record && Follows(*record)) return pos;
  }
  return std::nullopt;
}

void EvtScanner::SettleNumbers(bool claimsTrusted, bool claimsCount) {
  const bool claimsRecords = claimsCount && claimedOldest_ != 0 && claimedOldest_ < claimedCurrent_;
  if (out_.recordCount == 0) {
    out_.oldestRecordNumber = 0;
    out_.currentRecordNumber = claimsTrusted && claimedCurrent_ != 0 ? claimedCurrent_ : 1;
    if (claimsRecords) {
      Note(out_.startOffset, "the log claims records " + std::to_string(claimedOldest_) + " to " +
                                 std::to_string(claimedCurrent_ - 1) + " but none could be read");
      out_.skipped += claimedCurrent_ - claimedOldest_;
    }
    return;
  }
  out_.oldestRecordNumber = firstNumber_;
  out_.currentRecordNumber = lastNumber_ + 1;
  if (claimsRecords) {  // records claimed before the first or after the last one read
    if (claimedOldest_ < firstNumber_) out_.skipped += firstNumber_ - claimedOldest_;
    if (claimedCurrent_ > out_.currentRecordNumber) out_.skipped += claimedCurrent_ - out_.currentRecordNumber;
  }
  if (claimsTrusted && (out_.oldestRecordNumber != claimedOldest_ || out_.currentRecordNumber != claimedCurrent_))
    Note(out_.startOffset, "the log claims records " + std::to_string(claimedOldest_) + " to " +
                               std::to_string(claimedCurrent_ - 1) + " but records " +
                               std::to_string(out_.oldestRecordNumber) + " to " +
                               std::to_string(out_.currentRecordNumber - 1) + " were read");
}

}  // namespace

uint32_t EvtFramedLength(const EvtSource& bytes, const EvtRing& ring, uint32_t pos, std::optional<uint32_t> end,
                         std::string* why) {
  if (!ring.Fits(pos, 8)) {
    *why = "the file ends inside a record";
    return 0;
  }
  const auto length = ring.Load<uint32_t>(bytes, pos);
  if (ring.Load<uint32_t>(bytes, ring.Advance(pos, 4)) != kEvtSignature) {
    *why = "no record here ('LfLe' signature missing)";
    return 0;
  }
  if (length < kEvtRecordMinSize || length % 4 != 0) {
    *why = "record length " + std::to_string(length) + " is not a valid record size";
    return 0;
  }
  if (!ring.Fits(pos, length)) {
    *why = "record of " + std::to_string(length) + " bytes runs past the end of the file";
    return 0;
  }
  if (end && ring.Distance(pos, *end) < length) {
    *why = "record of " + std::to_string(length) + " bytes runs over the end-of-file record";
    return 0;
  }
  if (ring.Load<uint32_t>(bytes, ring.Advance(pos, length - 4)) != length) {
    *why = "record's closing length does not match its length " + std::to_string(length);
    return 0;
  }
  return length;
}

std::optional<EvtFile> LocateEvtRecords(const EvtSource& source) {
  EvtFile file;
  const EvtRecordSink none = [](EvtRecord&&) {};
  if (!EvtScanner(source, file, none).Locate()) return std::nullopt;
  return file;
}

std::string EvtDiagnostic::Text() const { return "offset " + Hex(offset) + ": " + message; }

std::string EvtFile::Report() const {
  std::string text;
  for (const auto& d : diagnostics) text += d.Text() + "\n";
  return text;
}

EvtFile ReadEvtFile(std::span<const uint8_t> bytes) {
  EvtFile file;
  const EvtBytesSource source(bytes);
  const EvtRecordSink keep = [&file](EvtRecord&& record) { file.records.push_back(std::move(record)); };
  EvtScanner(source, file, keep).Run();
  return file;
}

EvtFile ScanEvtFile(const EvtSource& source, const EvtRecordSink& sink) {
  EvtFile file;
  EvtScanner(source, file, sink).Run();
  return file;
}

}  // namespace formats
