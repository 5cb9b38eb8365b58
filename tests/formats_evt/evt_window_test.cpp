// Reading a .evt file through a window of a few blocks gives what reading
// its whole bytes gives; an append changes only its record, the end-of-file
// record and the header (the header last).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/evt_source.h"
#include "platform/formats/file_window.h"
#include "tests/formats_evt/evt_test_records.h"
#include "tests/support/temp_dir.h"

using namespace formats;

namespace {

EvtLogFile MakeLog(uint32_t maxSize, uint32_t records, uint32_t firstSeed = 0) {
  EvtLogFile log(maxSize);
  for (uint32_t seed = firstSeed; seed < firstSeed + records; ++seed) log.Append(evttest::SampleFields(seed));
  return log;
}

std::vector<uint8_t> WithDirtyHeader(std::vector<uint8_t> image) {
  auto h = LoadAt<ELF_LOGFILE_HEADER>(image, 0);
  h.Flags |= ELF_LOGFILE_HEADER_DIRTY;
  h.EndOffset = kEvtHeaderSize;  // stale, as while the log was open
  StoreAt(std::span<uint8_t>(image), 0, h);
  return image;
}

std::vector<uint8_t> WithBrokenRecord(std::vector<uint8_t> image, uint32_t number) {
  const EvtFile file = ReadEvtFile(image);
  for (const auto& r : file.records)
    if (r.Number() == number) image[r.offset + 4] ^= 0xFF;  // its signature
  return image;
}

TEST(EvtWindow, ScanThroughAWindowMatchesReadingTheWholeBytes) {
  const std::vector<uint8_t> wrapped = MakeLog(0x40000, 4000).Image();  // several times round the ring
  const std::vector<uint8_t> grown = MakeLog(0x80000, 1500).Image();    // not wrapped, over several blocks
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"wrapped", wrapped},
      {"not wrapped", grown},
      {"dirty header", WithDirtyHeader(wrapped)},
      {"broken record", WithBrokenRecord(wrapped, 3900)},
      {"truncated", std::vector<uint8_t>(grown.begin(), grown.begin() + 0x23456)},
      {"header only", std::vector<uint8_t>(grown.begin(), grown.begin() + kEvtHeaderSize)},
  };
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.path() + "/log.evt";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
    const EvtFile whole = ReadEvtFile(c.bytes);
    FileWindow window;
    ASSERT_TRUE(window.Open(path, nullptr)) << c.what;
    const EvtWindowSource source(window);
    std::vector<EvtRecord> seen;
    const EvtFile scanned = ScanEvtFile(source, [&](EvtRecord&& r) { seen.push_back(std::move(r)); });
    EXPECT_TRUE(scanned.records.empty()) << c.what;
    ASSERT_EQ(seen.size(), whole.records.size()) << c.what;
    for (size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i].offset, whole.records[i].offset) << c.what << " record " << i;
      EXPECT_EQ(seen[i].bytes, whole.records[i].bytes) << c.what << " record " << i;
    }
    EXPECT_EQ(scanned.Report(), whole.Report()) << c.what;
    EXPECT_EQ(scanned.recordCount, whole.records.size()) << c.what;
    EXPECT_EQ(scanned.skipped, whole.skipped) << c.what;
    EXPECT_EQ(scanned.oldestRecordNumber, whole.oldestRecordNumber) << c.what;
    EXPECT_EQ(scanned.currentRecordNumber, whole.currentRecordNumber) << c.what;
  }
}

TEST(EvtWindow, SkippedCountsTheRecordsKnownToBeLost) {
  const std::vector<uint8_t> image = MakeLog(0x10000, 100).Image();
  EXPECT_EQ(ReadEvtFile(image).skipped, 0u);
  // One broken record between good ones: its number is missing.
  EXPECT_EQ(ReadEvtFile(WithBrokenRecord(image, 50)).skipped, 1u);
  // A cut file: the header claims records that were not read.
  const EvtFile cut = ReadEvtFile(std::span<const uint8_t>(image.data(), ReadEvtFile(image).endOffset / 2));
  EXPECT_EQ(cut.skipped + cut.records.size(), 100u);
  EXPECT_GT(cut.skipped, 0u);
}

// The pieces an append changes: where the record went (with the end-of-file
// record after it, split where it wraps, with the file's growth), then the
// header, never the records before it.
TEST(EvtLogFileChanges, AnAppendChangesItsRecordAndTheHeaderOnly) {
  struct Case {
    const char* what;
    uint32_t maxSize;
    uint32_t before;
  };
  const Case cases[] = {
      {"in the middle of the file", 0x10000, 20},
      {"growing the file", 0x30000, 0},
      {"wrapping at the end of the file", 0x10000, 400},
  };
  for (const Case& c : cases) {
    EvtLogFile log = MakeLog(c.maxSize, c.before);
    log.TakeChanges();
    for (uint32_t i = 0; i < 300; ++i) {
      const std::vector<uint8_t> before = log.Image();
      const EvtAppendResult r = log.Append(evttest::SampleFields(1000 + i));
      ASSERT_EQ(r.status, EvtAppendStatus::Written) << c.what;
      const std::vector<EvtFilePiece> pieces = log.TakeChanges();
      ASSERT_FALSE(pieces.empty()) << c.what;
      EXPECT_EQ(pieces.back().offset, 0u) << c.what;
      EXPECT_EQ(pieces.back().length, kEvtHeaderSize) << c.what;
      // Outside the pieces the image is as it was.
      std::vector<bool> covered(log.Image().size(), false);
      for (const EvtFilePiece& p : pieces)
        for (uint32_t b = p.offset; b < p.offset + p.length; ++b) covered[b] = true;
      for (size_t b = 0; b < log.Image().size(); ++b) {
        if (covered[b]) continue;
        ASSERT_LT(b, before.size()) << c.what << ": grown bytes not written";
        ASSERT_EQ(log.Image()[b], before[b]) << c.what << ": byte " << b << " changed outside the pieces";
      }
      size_t written = 0;
      for (const EvtFilePiece& p : pieces) written += p.length;
      // The record, the end-of-file record, the header and at most one growth step.
      EXPECT_LE(written, 0x400u + kEvtEofSize + kEvtHeaderSize + kEvtGrowStep) << c.what;
    }
  }
}

}  // namespace
