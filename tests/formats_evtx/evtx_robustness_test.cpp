// Damaged input: the reader keeps every whole record and says what it
// skipped (fuzz/fuzz_evtx.cpp reads and renders any bytes).
#include <gtest/gtest.h>

#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "tests/formats_evtx/evtx_test_util.h"

using namespace formats;

namespace {

// Records 100 and up of one template.
std::vector<uint8_t> SmallFile(size_t records) {
  std::vector<EvtxRecord> list;
  for (size_t i = 0; i < records; ++i) {
    EvtxEventSpec s = evtxtest::TypicalSpec(i);
    s.recordId = 100 + i;
    list.push_back(BuildEvtxRecord(s));
  }
  return evtxtest::Written(list);
}

// Offset just past the end of each record in chunk 0.
std::vector<size_t> RecordEnds(const std::vector<uint8_t>& bytes) {
  std::vector<size_t> ends;
  size_t free = EvtxLoad<uint32_t>(bytes, kEvtxFileHeaderSize + 48);
  for (size_t pos = kEvtxChunkHeaderSize; pos < free;) {
    pos += EvtxLoad<uint32_t>(bytes, kEvtxFileHeaderSize + pos + 4);
    ends.push_back(kEvtxFileHeaderSize + pos);
  }
  return ends;
}

}  // namespace

TEST(EvtxRobustness, EveryTruncationYieldsEveryWholeRecord) {
  std::vector<uint8_t> full = SmallFile(12);
  std::vector<size_t> ends = RecordEnds(full);
  ASSERT_EQ(ends.size(), 12u);
  size_t last = ends.back();
  for (size_t length = 0; length <= last; ++length) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    EvtxReadResult r = ReadEvtx(cut);
    size_t whole = 0;
    while (whole < ends.size() && ends[whole] <= length) ++whole;
    bool chunkHeaderWhole = length >= kEvtxFileHeaderSize + kEvtxChunkHeaderSize;
    ASSERT_EQ(r.records.size(), chunkHeaderWhole ? whole : 0u) << "length " << length;
    for (size_t i = 0; i < r.records.size(); ++i) ASSERT_EQ(r.records[i].recordId, 100 + i);
    if (length < full.size()) {
      ASSERT_FALSE(r.diagnostics.empty()) << "length " << length;
    }
  }
}

TEST(EvtxRobustness, DamagedRecordIsReportedAndTheRestKeptButGarbageIsNoFile) {
  std::vector<uint8_t> bytes = SmallFile(10);
  std::vector<size_t> ends = RecordEnds(bytes);
  // Break the signature of the fourth record.
  bytes[ends[2]] = 'X';
  EvtxReadResult r = ReadEvtx(bytes);
  ASSERT_EQ(r.records.size(), 9u);
  EXPECT_EQ(r.records[2].recordId, 102u);
  EXPECT_EQ(r.records[3].recordId, 104u);
  EXPECT_TRUE(evtxtest::HasDiagnostic(r.diagnostics, "chunk 0: bad record signature at offset"));
  EXPECT_TRUE(evtxtest::HasDiagnostic(r.diagnostics, "skipped to offset"));
  // The records checksum no longer matches either.
  EXPECT_TRUE(evtxtest::HasDiagnostic(r.diagnostics, "chunk 0: event records checksum mismatch"));
  r = ReadEvtx(std::vector<uint8_t>(70000, 0x41));
  EXPECT_FALSE(r.valid);
  EXPECT_TRUE(r.records.empty());
  ASSERT_FALSE(r.diagnostics.empty());
  EXPECT_EQ(r.diagnostics[0], "file header: bad signature");
  EXPECT_FALSE(ReadEvtx({}).valid);
}

TEST(EvtxRobustness, TemplateOutsideTheChunkIsReported) {
  std::vector<uint8_t> bytes = SmallFile(2);
  size_t defOffsetField = kEvtxFileHeaderSize + kEvtxChunkHeaderSize + 24 + 4 + 6;
  EvtxStore<uint32_t>(bytes, defOffsetField, 0xFFFFFFF0u);
  EvtxReadResult r = ReadEvtx(bytes);
  EXPECT_TRUE(evtxtest::HasDiagnostic(r.diagnostics, "chunk 0: record 100: bad template definition"));
  // The second record has its own copy of nothing: it refers to the first
  // record's definition, which is still intact.
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.records[0].recordId, 101u);
}

TEST(EvtxRobustness, WrappedLogIsReadInRecordOrder) {
  std::vector<uint8_t> bytes = SmallFile(1500);
  size_t chunks = (bytes.size() - kEvtxFileHeaderSize) / kEvtxChunkSize;
  ASSERT_GE(chunks, 2u);
  // Move the last chunk to the front, as a log that wrapped around has it.
  std::vector<uint8_t> wrapped(bytes.begin(), bytes.begin() + kEvtxFileHeaderSize);
  wrapped.insert(wrapped.end(), bytes.end() - kEvtxChunkSize, bytes.end());
  wrapped.insert(wrapped.end(), bytes.begin() + kEvtxFileHeaderSize, bytes.end() - kEvtxChunkSize);
  EvtxReadResult r = ReadEvtx(wrapped);
  EXPECT_TRUE(r.diagnostics.empty());
  ASSERT_EQ(r.records.size(), 1500u);
  for (size_t i = 0; i < r.records.size(); ++i) ASSERT_EQ(r.records[i].recordId, 100 + i);
}
