#include "platform/formats/evtx_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/formats/evtx_binxml.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/file_window.h"

namespace formats {
namespace {

constexpr char kFileSignature[8] = {'E', 'l', 'f', 'F', 'i', 'l', 'e', 0};
constexpr char kChunkSignature[8] = {'E', 'l', 'f', 'C', 'h', 'n', 'k', 0};
constexpr uint32_t kRecordSignature = 0x00002a2a;
constexpr size_t kRecordOverhead = 28;  // signature, size, id, time, copy of size

std::string ChunkText(size_t index) { return "chunk " + std::to_string(index) + ": "; }

// Every byte zero (unused chunks are checked whole: memcmp compares in wide steps).
bool AllZero(std::span<const uint8_t> data) {
  return data.empty() || (data[0] == 0 && std::memcmp(data.data(), data.data() + 1, data.size() - 1) == 0);
}

uint32_t ChunkHeaderCrc(std::span<const uint8_t> chunk) {
  uint32_t crc = EvtxCrc32(chunk.subspan(0, 120));
  return EvtxCrc32(chunk.subspan(128, kEvtxChunkHeaderSize - 128), crc);
}

EvtxChunkInfo ParseChunkInfo(std::span<const uint8_t> c) {
  EvtxChunkInfo info;
  info.firstRecordNumber = EvtxLoad<uint64_t>(c, 8);
  info.lastRecordNumber = EvtxLoad<uint64_t>(c, 16);
  info.firstRecordId = EvtxLoad<uint64_t>(c, 24);
  info.lastRecordId = EvtxLoad<uint64_t>(c, 32);
  info.lastRecordOffset = EvtxLoad<uint32_t>(c, 44);
  info.freeSpaceOffset = EvtxLoad<uint32_t>(c, 48);
  info.headerChecksumValid = ChunkHeaderCrc(c) == EvtxLoad<uint32_t>(c, 124);
  return info;
}

enum class RecordState { Whole, BadSizeCopy, Broken };

// Whether the record at `pos` is whole; `why` says what is wrong otherwise.
RecordState CheckRecord(std::span<const uint8_t> chunk, size_t pos, size_t end, std::string* why) {
  auto at = [&] { return " at offset " + std::to_string(pos); };
  auto id = [&] { return "record " + std::to_string(EvtxLoad<uint64_t>(chunk, pos + 8)); };
  if (EvtxLoad<uint32_t>(chunk, pos) != kRecordSignature) {
    if (why) *why = "bad record signature" + at();
    return RecordState::Broken;
  }
  size_t size = EvtxLoad<uint32_t>(chunk, pos + 4);
  if (size < kRecordOverhead || size > end - pos) {
    if (why) *why = id() + ": bad size" + at();
    return RecordState::Broken;
  }
  if (EvtxLoad<uint32_t>(chunk, pos + size - 4) != size) {
    if (why) *why = id() + ": size copy mismatch" + at();
    return RecordState::BadSizeCopy;
  }
  return RecordState::Whole;
}

// The offset of the next whole record from `from`, or `end`.
size_t FindNextRecord(std::span<const uint8_t> chunk, size_t from, size_t end) {
  for (size_t pos = from; pos + kRecordOverhead <= end; ++pos) {
    if (chunk[pos] != 0x2a || chunk[pos + 1] != 0x2a) continue;
    if (CheckRecord(chunk, pos, end, nullptr) == RecordState::Whole) return pos;
  }
  return end;
}

}  // namespace

// The file's bytes: in memory, or read from the file when asked for.
class EvtxReader::Source {
 public:
  explicit Source(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {}
  Source() = default;
  bool open(const std::string& path, std::string& error) {
    if (!file_.Open(path, &error)) return false;
    size_ = file_.Size();
    return true;
  }
  uint64_t size() const { return size_; }
  // `size` bytes at `offset` (fewer at the end of the file): a view of the
  // bytes in memory, or of `buffer` filled from the file.
  std::span<const uint8_t> at(uint64_t offset, size_t size, std::vector<uint8_t>& buffer) const {
    if (offset >= size_) return {};
    size = static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
    if (!file_.IsOpen()) return std::span<const uint8_t>(bytes_).subspan(static_cast<size_t>(offset), size);
    buffer.resize(size);
    return std::span<const uint8_t>(buffer.data(), file_.Read(offset, buffer.data(), size));
  }

 private:
  std::vector<uint8_t> bytes_;
  FileWindow file_;
  uint64_t size_ = 0;
};

EvtxReader::EvtxReader(std::vector<uint8_t> bytes) : source_(std::make_unique<Source>(std::move(bytes))) {
  parseHeader();
}

EvtxReader::EvtxReader(std::unique_ptr<Source> source) : source_(std::move(source)) { parseHeader(); }

EvtxReader::~EvtxReader() = default;

bool EvtxReader::Open(const std::string& path, std::unique_ptr<EvtxReader>& out, std::string& error) {
  auto source = std::make_unique<Source>();
  if (!source->open(path, error)) return false;
  out.reset(new EvtxReader(std::move(source)));
  return true;
}

void EvtxReader::parseHeader() {
  std::vector<uint8_t> buffer;
  std::span<const uint8_t> b = source_->at(0, 128, buffer);
  if (b.size() < 128 || std::memcmp(b.data(), kFileSignature, 8) != 0) {
    headerDiagnostics_.push_back(b.size() < 128 ? "file header: truncated" : "file header: bad signature");
  } else {
    header_.firstChunk = EvtxLoad<uint64_t>(b, 8);
    header_.lastChunk = EvtxLoad<uint64_t>(b, 16);
    header_.nextRecordId = EvtxLoad<uint64_t>(b, 24);
    header_.minorVersion = EvtxLoad<uint16_t>(b, 36);
    header_.majorVersion = EvtxLoad<uint16_t>(b, 38);
    header_.chunkCount = EvtxLoad<uint16_t>(b, 42);
    header_.flags = EvtxLoad<uint32_t>(b, 120);
    header_.checksum = EvtxLoad<uint32_t>(b, 124);
    header_.checksumValid = EvtxCrc32(b.subspan(0, 120)) == header_.checksum;
    if (!header_.checksumValid) headerDiagnostics_.push_back("file header: checksum mismatch");
    headerValid_ = true;
  }
  uint64_t size = source_->size();
  if (size > kEvtxFileHeaderSize) {
    uint64_t rest = size - kEvtxFileHeaderSize;
    chunkCount_ = static_cast<size_t>(rest / kEvtxChunkSize + (rest % kEvtxChunkSize >= kEvtxChunkHeaderSize ? 1 : 0));
    if (rest % kEvtxChunkSize) headerDiagnostics_.push_back("file: truncated, the last chunk is partial");
  }
  if (headerValid_ && chunkCount_ < header_.chunkCount)
    headerDiagnostics_.push_back("file: truncated, " + std::to_string(chunkCount_) + " of " +
                                 std::to_string(header_.chunkCount) + " chunks present");
}

uint64_t EvtxReader::fileSize() const { return source_->size(); }

std::span<const uint8_t> EvtxReader::chunkBytes(size_t index, std::vector<uint8_t>& buffer, size_t limit) const {
  if (index >= chunkCount_) return {};
  return source_->at(kEvtxFileHeaderSize + uint64_t{index} * kEvtxChunkSize, limit, buffer);
}

bool EvtxReader::readChunkHeader(size_t index, EvtxChunkInfo& info) const {
  std::vector<uint8_t> buffer;
  std::span<const uint8_t> chunk = chunkBytes(index, buffer, kEvtxChunkHeaderSize);
  if (chunk.size() < kEvtxChunkHeaderSize || std::memcmp(chunk.data(), kChunkSignature, 8) != 0) return false;
  info = ParseChunkInfo(chunk);
  return true;
}

std::vector<EvtxChunkEntry> EvtxChunkOrder(const EvtxReader& reader, std::vector<std::string>& diagnostics) {
  std::vector<EvtxChunkEntry> order;
  for (size_t i = 0; i < reader.chunkCount(); ++i) {
    EvtxChunkInfo info;
    if (!reader.readChunkHeader(i, info)) {
      // Unused, or damaged: the whole chunk tells which.
      std::vector<EvtxRecord> none;
      reader.readChunk(i, none, diagnostics);
      continue;
    }
    if (info.freeSpaceOffset <= kEvtxChunkHeaderSize) continue;
    if (info.lastRecordNumber < info.firstRecordNumber || info.lastRecordId < info.firstRecordId) continue;
    uint64_t count = info.lastRecordNumber - info.firstRecordNumber + 1;
    order.push_back({i, info.firstRecordId, info.lastRecordId, count});
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const EvtxChunkEntry& a, const EvtxChunkEntry& b) { return a.firstRecordId < b.firstRecordId; });
  return order;
}

std::span<const uint8_t> EvtxReader::openChunk(size_t index, std::vector<uint8_t>& buffer, EvtxChunkInfo& info,
                                               size_t& end, std::vector<std::string>& diagnostics) const {
  if (index >= chunkCount_) return {};
  std::span<const uint8_t> chunk = chunkBytes(index, buffer, kEvtxChunkSize);
  if (chunk.size() < kEvtxChunkHeaderSize) {
    diagnostics.push_back(ChunkText(index) + "cannot be read, skipped");
    return {};
  }
  if (std::memcmp(chunk.data(), kChunkSignature, 8) != 0) {
    // Space allocated beyond the chunks in use is zero; anything else is damage.
    if (!AllZero(chunk)) diagnostics.push_back(ChunkText(index) + "bad signature, skipped");
    else if (index < header_.chunkCount) diagnostics.push_back(ChunkText(index) + "empty, skipped");
    return {};
  }
  info = ParseChunkInfo(chunk);
  if (!info.headerChecksumValid) diagnostics.push_back(ChunkText(index) + "header checksum mismatch");
  end = info.freeSpaceOffset;
  if (end < kEvtxChunkHeaderSize || end > kEvtxChunkSize) {
    diagnostics.push_back(ChunkText(index) + "bad free space offset");
    end = chunk.size();
  } else if (end > chunk.size()) {
    diagnostics.push_back(ChunkText(index) + "truncated");
    end = chunk.size();
  } else {
    info.recordsChecksumValid =
        EvtxCrc32(chunk.subspan(kEvtxChunkHeaderSize, end - kEvtxChunkHeaderSize)) == EvtxLoad<uint32_t>(chunk, 52);
    if (!info.recordsChecksumValid) diagnostics.push_back(ChunkText(index) + "event records checksum mismatch");
  }
  return chunk;
}

void ScanEvtxRecords(std::span<const uint8_t> chunk, size_t index, size_t end, const EvtxRecordVisitor& visit,
                     std::vector<std::string>& diagnostics) {
  std::string error, problem;
  size_t pos = kEvtxChunkHeaderSize;
  while (pos + kRecordOverhead <= end) {
    RecordState state = CheckRecord(chunk, pos, end, &problem);
    if (state != RecordState::Whole && AllZero(chunk.subspan(pos, end - pos))) break;  // unused space
    size_t size = EvtxLoad<uint32_t>(chunk, pos + 4);
    if (state != RecordState::Broken && visit(pos, size, error)) {
      if (state == RecordState::BadSizeCopy) diagnostics.push_back(ChunkText(index) + problem + ", read anyway");
      pos += size;
      continue;
    }
    if (state == RecordState::Whole) {
      diagnostics.push_back(ChunkText(index) + "record " + std::to_string(EvtxLoad<uint64_t>(chunk, pos + 8)) + ": " +
                            error + ", skipped");
      pos += size;
      continue;
    }
    // Damage inside the chunk: report it and carry on with the next whole
    // record after it, if any.
    size_t next = FindNextRecord(chunk, pos + 1, end);
    diagnostics.push_back(ChunkText(index) + problem +
                          (next < end ? ", skipped to offset " + std::to_string(next) : ", rest of chunk skipped"));
    pos = next;
  }
}

bool EvtxReader::readChunk(size_t index, std::vector<EvtxRecord>& records, std::vector<std::string>& diagnostics,
                           EvtxChunkInfo* infoOut) const {
  std::vector<uint8_t> buffer;
  EvtxChunkInfo info;
  size_t end = 0;
  std::span<const uint8_t> chunk = openChunk(index, buffer, info, end, diagnostics);
  if (chunk.empty()) return false;
  if (infoOut) *infoOut = info;
  ReadEvtxChunkRecords(chunk, index, end, records, diagnostics);
  return true;
}

void ReadEvtxChunkRecords(std::span<const uint8_t> chunk, size_t index, size_t end, std::vector<EvtxRecord>& records,
                          std::vector<std::string>& diagnostics) {
  EvtxChunkParser parser(chunk);
  ScanEvtxRecords(
      chunk, index, end,
      [&](size_t pos, size_t size, std::string& error) {
        EvtxRecord record;
        if (!parser.parseEvent(pos + 24, pos + size - 4, record.event, error)) return false;
        record.recordId = EvtxLoad<uint64_t>(chunk, pos + 8);
        record.writtenTime = EvtxLoad<uint64_t>(chunk, pos + 16);
        records.push_back(std::move(record));
        return true;
      },
      diagnostics);
}

EvtxReadResult EvtxReader::readAll() const {
  EvtxReadResult result;
  result.valid = headerValid_;
  result.header = header_;
  result.diagnostics = headerDiagnostics_;
  if (!headerValid_) return result;
  // A log that has wrapped around holds its oldest chunk somewhere in the
  // middle of the file: chunks are taken in the order of their records.
  std::vector<std::vector<EvtxRecord>> chunks(chunkCount_);
  for (size_t i = 0; i < chunkCount_; ++i) readChunk(i, chunks[i], result.diagnostics);
  std::erase_if(chunks, [](const std::vector<EvtxRecord>& c) { return c.empty(); });
  std::stable_sort(chunks.begin(), chunks.end(),
                   [](const auto& a, const auto& b) { return a.front().recordId < b.front().recordId; });
  size_t total = 0;
  for (const auto& c : chunks) total += c.size();
  result.records.reserve(total);
  // Record ids go up through the log: a record whose id does not is damage
  // (and could not be written back in the same order).
  for (auto& c : chunks) {
    for (EvtxRecord& r : c) {
      if (!result.records.empty() && r.recordId <= result.records.back().recordId) {
        result.diagnostics.push_back("record " + std::to_string(r.recordId) + ": id not after " +
                                     std::to_string(result.records.back().recordId) + ", skipped");
        continue;
      }
      result.records.push_back(std::move(r));
    }
  }
  return result;
}

EvtxReadResult ReadEvtx(std::span<const uint8_t> bytes) {
  return EvtxReader(std::vector<uint8_t>(bytes.begin(), bytes.end())).readAll();
}

EvtxReadResult ReadEvtxFile(const std::string& path) {
  std::unique_ptr<EvtxReader> reader;
  std::string error;
  if (!EvtxReader::Open(path, reader, error)) {
    EvtxReadResult result;
    result.diagnostics.push_back(error);
    return result;
  }
  return reader->readAll();
}

}  // namespace formats
