// Reading a .evt file through a window of a few blocks gives what reading
// its whole bytes gives; an append changes only its record, the end-of-file
// record and the header (the header last); a log appended to in its file
// writes what a log kept in memory writes.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/evt_record_index.h"
#include "platform/formats/evt_source.h"
#include "platform/formats/file_bytes.h"
#include "platform/formats/file_window.h"
#include "tests/formats_evt/evt_test_records.h"
#include "tests/support/temp_dir.h"

using namespace formats;
using evttest::MakeLog;

namespace {

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
    bool located;  // the clean header tells where the records are
  };
  const Case cases[] = {
      {"wrapped", wrapped, true},
      {"not wrapped", grown, true},
      {"dirty header", WithDirtyHeader(wrapped), false},
      {"broken record", WithBrokenRecord(wrapped, 3900), true},
      {"truncated", std::vector<uint8_t>(grown.begin(), grown.begin() + 0x23456), false},
      {"header only", std::vector<uint8_t>(grown.begin(), grown.begin() + kEvtHeaderSize), false},
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
    // Located without reading a record: what the header claims, which is
    // what the scan finds in a sound file.
    const auto located = LocateEvtRecords(source);
    ASSERT_EQ(located.has_value(), c.located) << c.what;
    if (!located) continue;
    EXPECT_EQ(located->startOffset, whole.startOffset) << c.what;
    EXPECT_EQ(located->endOffset, whole.endOffset) << c.what;
    EXPECT_EQ(located->oldestRecordNumber, whole.header.OldestRecordNumber) << c.what;
    EXPECT_EQ(located->recordCount, whole.header.CurrentRecordNumber - whole.header.OldestRecordNumber) << c.what;
    if (!whole.Damaged()) {
      EXPECT_EQ(located->recordCount, whole.records.size()) << c.what;
    }
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

// Writes the pieces an append changed to the log's file, as the host does.
void SavePieces(EvtLogFile& log, const std::string& path) {
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadFileBytes(path, &file));
  file.resize(log.FileSize());
  for (const EvtFilePiece& p : log.TakeChanges())
    log.Bytes().Read(p.offset, std::span(file).subspan(p.offset, p.length));
  ASSERT_TRUE(WriteFileBytes(path, file));
  ASSERT_TRUE(log.Saved(path, nullptr));
}

// A log taken over from its file (read through a window, the changes written
// in place) gives the same file as one kept in memory, and its index finds
// the records the file holds, while it grows, wraps and overwrites.
TEST(EvtLogFileInItsFile, AppendsWriteWhatAnImageInMemoryWrites) {
  struct Case {
    const char* what;
    uint32_t maxSize;
    uint32_t before;
    uint32_t appended;
  };
  const Case cases[] = {
      {"growing the file", 0x30000, 10, 400},
      {"wrapping and overwriting", 0x10000, 200, 500},
      {"empty at first", 0x10000, 0, 50},
  };
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    EvtLogFile memory = MakeLog(c.maxSize, c.before);
    const std::string path = dir.path() + "/live.evt";
    ASSERT_TRUE(WriteFileBytes(path, memory.Image()));
    std::string error;
    bool notLog = true;
    auto live = EvtLogFile::FromFile(path, &error, &notLog);
    ASSERT_TRUE(live.has_value()) << c.what << ": " << error;
    EXPECT_FALSE(live->InMemory()) << c.what;
    EvtRecordIndex index;
    index.Follow(live->StartOffset(), live->RecordCount());
    for (uint32_t i = 0; i < c.appended; ++i) {
      const EvtAppendResult want = memory.Append(evttest::SampleFields(5000 + i));
      const EvtAppendResult got = live->Append(evttest::SampleFields(5000 + i));
      ASSERT_EQ(got.status, want.status) << c.what << " append " << i;
      ASSERT_EQ(got.overwritten, want.overwritten) << c.what << " append " << i;
      SavePieces(*live, path);
      index.DropOldest(got.overwritten, live->StartOffset());
      index.Follow(got.offset, 1);
      if (i % 37 != 0) continue;
      // Checked now and then: the records are where the index says.
      index.Use(live->Bytes(), EvtRing(live->FileSize()));
      const EvtFile file = ReadEvtFile(memory.Image());
      ASSERT_EQ(index.Size(), file.records.size()) << c.what << " append " << i;
      for (size_t r = 0; r < file.records.size(); r += 7) {
        EXPECT_EQ(index.At(r).offset, file.records[r].offset) << c.what << " record " << r;
        EXPECT_EQ(index.NumberAt(r), file.records[r].Number()) << c.what << " record " << r;
      }
    }
    std::vector<uint8_t> onDisk;
    ASSERT_TRUE(ReadFileBytes(path, &onDisk));
    EXPECT_EQ(onDisk, memory.Image()) << c.what;
    EXPECT_EQ(live->RecordCount(), memory.RecordCount()) << c.what;
  }
}

// The same file damaged: taken over, it is rebuilt in memory as an image
// would be, and is kept in its file once the rebuilt log was saved.
TEST(EvtLogFileInItsFile, ADamagedFileIsRebuiltAsAnImageIs) {
  const std::vector<uint8_t> damaged = WithBrokenRecord(MakeLog(0x10000, 300).Image(), 250);
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/damaged.evt";
  ASSERT_TRUE(WriteFileBytes(path, damaged));
  std::string error;
  bool notLog = true;
  auto live = EvtLogFile::FromFile(path, &error, &notLog);
  auto image = EvtLogFile::FromImage(damaged);
  ASSERT_TRUE(live && image) << error;
  EXPECT_TRUE(live->InMemory());
  EXPECT_EQ(live->Image(), image->Image());
  SavePieces(*live, path);
  EXPECT_FALSE(live->InMemory());
  std::vector<uint8_t> saved;
  ASSERT_TRUE(ReadFileBytes(path, &saved));
  EXPECT_EQ(saved, image->Image());

  ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(100, 0)));
  EXPECT_FALSE(EvtLogFile::FromFile(path, &error, &notLog).has_value());
  EXPECT_TRUE(notLog);
  EXPECT_FALSE(EvtLogFile::FromFile(dir.path(), &error, &notLog).has_value());
  EXPECT_FALSE(notLog) << "a folder cannot be read";
}

// Unsaved writes lie over the file's bytes: separate, touching, joining two
// and spanning the end of the file on disk, and in bytes the image grew by.
TEST(EvtFileImage, ReadsTheFileWithTheUnsavedWritesOverIt) {
  struct Step {
    uint32_t offset;
    uint32_t length;  // 0: grow the image to `offset` bytes instead
  };
  const Step steps[] = {{100, 10}, {200, 10}, {110, 5}, {105, 100}, {0x1000, 0}, {0xF00, 0x80}, {0xFF8, 8}, {50, 1}};
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/image.evt";
  std::vector<uint8_t> start(0xF40);
  for (size_t i = 0; i < start.size(); ++i) start[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(WriteFileBytes(path, start));
  EvtMemoryImage memory(start);
  auto file = EvtFileImage::Open(path, nullptr);
  ASSERT_TRUE(file);
  uint8_t fill = 1;
  for (const Step& s : steps) {
    if (s.length == 0) {
      memory.Resize(s.offset);
      file->Resize(s.offset);
    } else {
      const std::vector<uint8_t> bytes(s.length, fill++);
      memory.Write(s.offset, bytes);
      file->Write(s.offset, bytes);
    }
    ASSERT_EQ(file->Size(), memory.Size());
    std::vector<uint8_t> got(file->Size());
    file->Read(0, got);
    ASSERT_EQ(got, memory.Bytes()) << "after the write at " << s.offset;
    // A read of a few bytes around the write, as the log reads a record.
    const uint32_t from = s.offset > 20 ? s.offset - 20 : 0;
    std::vector<uint8_t> part(std::min<uint32_t>(40, file->Size() - from));
    file->Read(from, part);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), memory.Bytes().begin() + from));
  }
  EXPECT_LT(file->PendingBytes(), 0x200u) << "the touching writes are held once";
  ASSERT_TRUE(WriteFileBytes(path, memory.Bytes()));
  file->Saved();
  EXPECT_EQ(file->PendingBytes(), 0u);
  std::vector<uint8_t> saved(file->Size());
  file->Read(0, saved);
  EXPECT_EQ(saved, memory.Bytes());
}

}  // namespace
