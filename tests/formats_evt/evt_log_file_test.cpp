#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <tuple>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "tests/formats_evt/evt_test_records.h"

using namespace formats;

namespace {

// A log with the fields of every record still in it, as the writer reports.
struct Written {
  EvtLogFile log;
  std::deque<EvtRecordFields> kept;

  explicit Written(uint32_t maxSize, uint32_t retention = 0) : log(maxSize, retention) {}

  EvtAppendResult Add(uint32_t seed) {
    auto fields = evttest::SampleFields(seed);
    const auto result = log.Append(fields);
    if (result.status == EvtAppendStatus::Written) {
      for (uint32_t i = 0; i < result.overwritten; ++i) kept.pop_front();
      fields.recordNumber = result.recordNumber;
      kept.push_back(fields);
    }
    return result;
  }
};

// Reads the image back and compares every record with what was written.
void ExpectReadsBack(const Written& w) {
  const EvtFile file = ReadEvtFile(w.log.Image());
  EXPECT_EQ(file.Report(), "");
  ASSERT_EQ(file.records.size(), w.kept.size());
  for (size_t i = 0; i < file.records.size(); ++i) EXPECT_EQ(file.records[i].View().Fields(), w.kept[i]) << i;
  EXPECT_EQ(file.oldestRecordNumber, w.log.OldestRecordNumber());
  EXPECT_EQ(file.currentRecordNumber, w.log.CurrentRecordNumber());
  EXPECT_EQ(w.log.RecordCount(), w.kept.size());
  EXPECT_EQ(file.header.Flags, w.log.Flags());
}

bool AnyRecordSplit(const EvtFile& file) {
  for (const auto& r : file.records)
    if (r.offset + r.bytes.size() > file.fileSize) return true;
  return false;
}

TEST(EvtLogFile, AppendedRecordsReadBackInOrder) {
  Written w(0x10000);
  const EvtFile empty = ReadEvtFile(w.log.Image());
  EXPECT_EQ(empty.Report(), "");
  EXPECT_TRUE(empty.records.empty());
  const auto& h = empty.header;  // start, end, current and oldest record
  EXPECT_EQ(std::tuple(h.StartOffset, h.EndOffset, h.CurrentRecordNumber, h.OldestRecordNumber),
            std::tuple(0x30u, 0x30u, 1u, 0u));
  for (uint32_t seed = 0; seed < 50; ++seed) ASSERT_EQ(w.Add(seed).recordNumber, seed + 1);
  ExpectReadsBack(w);
  const EvtFile file = ReadEvtFile(w.log.Image());
  EXPECT_EQ(file.header.Flags, 0u);
  EXPECT_EQ(file.records.front().offset, 0x30u);
  EXPECT_EQ(file.endOffset, file.records.back().offset + file.records.back().bytes.size());
}

TEST(EvtLogFile, GrowsInStepsUpToTheMaximumThenWraps) {
  Written w(0x30000);
  EXPECT_EQ(w.log.Image().size(), 0x10000u);
  uint32_t seed = 0;
  while (w.log.Image().size() < 0x30000) {
    w.Add(seed++);
    EXPECT_EQ(w.log.Image().size() % 0x10000, 0u);
    ASSERT_EQ(w.log.OldestRecordNumber(), 1u) << "records overwritten before the file reached its maximum size";
  }
  while (w.log.OldestRecordNumber() == 1) w.Add(seed++);
  EXPECT_EQ(w.log.Image().size(), 0x30000u);
  ExpectReadsBack(w);
}

// A small circular file written many times round: records split at the end
// of the file, oldest ones overwritten, all that remains reads back.
TEST(EvtLogFile, WrapAroundOverwritesTheOldest) {
  Written w(4096);
  bool sawSplit = false;
  for (uint32_t seed = 0; seed < 600; ++seed) {
    ASSERT_EQ(w.Add(seed).status, EvtAppendStatus::Written);
    if (seed % 37 == 0) {
      ExpectReadsBack(w);
      sawSplit = sawSplit || AnyRecordSplit(ReadEvtFile(w.log.Image()));
    }
  }
  ExpectReadsBack(w);
  EXPECT_TRUE(sawSplit);
  EXPECT_NE(w.log.Flags() & ELF_LOGFILE_HEADER_WRAP, 0u);
  EXPECT_GT(w.log.OldestRecordNumber(), 500u);
  EXPECT_EQ(w.log.CurrentRecordNumber(), 601u);
}

TEST(EvtLogFile, RetentionForeverFillsTheLogAndOfSecondsProtectsRecentRecords) {
  Written w(4096, kEvtRetainForever);
  uint32_t seed = 0;
  EvtAppendResult result;
  while ((result = w.Add(seed)).status == EvtAppendStatus::Written) ++seed;
  EXPECT_EQ(result.status, EvtAppendStatus::LogFull);
  EXPECT_TRUE(w.log.Full());
  EXPECT_EQ(w.log.OldestRecordNumber(), 1u);
  ExpectReadsBack(w);
  EXPECT_NE(ReadEvtFile(w.log.Image()).header.Flags & ELF_LOGFILE_LOGFULL_WRITTEN, 0u);

  w.log.Clear();
  w.kept.clear();
  EXPECT_FALSE(w.log.Full());
  EXPECT_EQ(w.log.Flags(), 0u);
  EXPECT_EQ(w.Add(1).recordNumber, 1u);
  ExpectReadsBack(w);

  // A retention of N seconds lets a record overwrite only records written at
  // least N seconds before it.
  EvtLogFile log(2048, 1000);
  auto fields = evttest::SampleFields(4);
  uint32_t written = 0;
  for (; log.Append(fields).status == EvtAppendStatus::Written; ++written) fields.timeWritten += 10;
  ASSERT_GT(written, 3u);
  EXPECT_EQ(log.OldestRecordNumber(), 1u);
  fields.timeWritten += 1000;  // now the first records are old enough
  result = log.Append(fields);
  EXPECT_EQ(result.status, EvtAppendStatus::Written);
  EXPECT_GE(result.overwritten, 1u);
  EXPECT_FALSE(log.Full());
}

TEST(EvtLogFile, RefusesWhatCannotBeARecordAndNumbersPastTheLast) {
  EvtLogFile log(1024);
  auto fields = evttest::SampleFields(2);
  fields.data.assign(2000, 7);
  EXPECT_EQ(log.Append(fields).status, EvtAppendStatus::TooLarge);
  std::vector<uint8_t> junk(64, 0x41);
  EXPECT_EQ(log.Append(junk).status, EvtAppendStatus::InvalidRecord);
  EXPECT_EQ(log.RecordCount(), 0u);
  // Record number 0xFFFFFFFF is the last a log can give: the next append is
  // refused as the log being full, never numbered 0.
  EvtLogFile numbered(4096);
  numbered.Append(evttest::SampleFields(1));
  auto image = numbered.Image();
  StoreAt(std::span<uint8_t>(image), 0x30 + offsetof(EVENTLOGRECORD, RecordNumber), 0xFFFFFFFFu);
  auto last = EvtLogFile::FromImage(image);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->OldestRecordNumber(), 0xFFFFFFFFu);
  EXPECT_EQ(last->RecordCount(), 1u);
  EXPECT_EQ(last->Append(evttest::SampleFields(2)).status, EvtAppendStatus::LogFull);
  const EvtFile file = ReadEvtFile(last->Image());
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].Number(), 0xFFFFFFFFu);
}

// A dirty header is stale: the records written after it was flushed are
// found through the end-of-file record.
TEST(EvtLogFile, DirtyHeaderIsResolvedThroughTheEndOfFileRecord) {
  for (uint32_t total : {30u, 300u}) {  // without and with wrap-around
    Written w(4096);
    for (uint32_t seed = 0; seed < 10; ++seed) w.Add(seed);
    const auto staleHeader = LoadAt<ELF_LOGFILE_HEADER>(w.log.Image(), 0);
    for (uint32_t seed = 10; seed < total; ++seed) w.Add(seed);
    auto image = w.log.Image();
    auto header = staleHeader;
    header.Flags |= ELF_LOGFILE_HEADER_DIRTY;
    StoreAt(std::span<uint8_t>(image), 0, header);

    const EvtFile file = ReadEvtFile(image);
    EXPECT_TRUE(file.Dirty());
    EXPECT_EQ(file.Report(), "") << total;
    ASSERT_EQ(file.records.size(), w.kept.size()) << total;
    EXPECT_EQ(file.records.back().View().Fields(), w.kept.back());
    EXPECT_EQ(file.oldestRecordNumber, w.log.OldestRecordNumber());

    // The same stale header without the dirty flag: the missing end-of-file
    // record at its end offset is reported, the records are still found.
    header.Flags &= ~ELF_LOGFILE_HEADER_DIRTY;
    StoreAt(std::span<uint8_t>(image), 0, header);
    const EvtFile clean = ReadEvtFile(image);
    EXPECT_TRUE(clean.Damaged());
    EXPECT_EQ(clean.records.size(), w.kept.size()) << total;
  }
}

TEST(EvtLogFile, FromImageContinuesTheLog) {
  Written w(4096);
  for (uint32_t seed = 0; seed < 100; ++seed) w.Add(seed);
  auto reopened = EvtLogFile::FromImage(w.log.Image());
  ASSERT_TRUE(reopened.has_value());
  EXPECT_EQ(reopened->Image(), w.log.Image());
  EXPECT_EQ(reopened->CurrentRecordNumber(), 101u);
  w.log = std::move(*reopened);
  for (uint32_t seed = 100; seed < 150; ++seed) w.Add(seed);
  ExpectReadsBack(w);

  // A damaged file is rebuilt from what can be read, record numbers kept.
  auto image = w.log.Image();
  const EvtFile before = ReadEvtFile(image);
  const auto& victim = before.records[before.records.size() / 2];
  image[victim.offset + 4] ^= 0xFF;  // its signature
  auto rebuilt = EvtLogFile::FromImage(image);
  ASSERT_TRUE(rebuilt.has_value());
  const EvtFile after = ReadEvtFile(rebuilt->Image());
  EXPECT_EQ(after.records.size(), before.records.size() - 1);
  EXPECT_EQ(after.records.back().Number(), before.records.back().Number());
  EXPECT_EQ(rebuilt->CurrentRecordNumber(), 151u);

  // Overwriting goes on past the gap in the numbers.
  for (uint32_t seed = 150; seed < 250; ++seed)
    ASSERT_EQ(rebuilt->Append(evttest::SampleFields(seed)).status, EvtAppendStatus::Written);
  const EvtFile later = ReadEvtFile(rebuilt->Image());
  EXPECT_EQ(later.Report(), "");
  EXPECT_EQ(rebuilt->OldestRecordNumber(), later.records.front().Number());
  EXPECT_EQ(rebuilt->CurrentRecordNumber(), 251u);

  EXPECT_FALSE(EvtLogFile::FromImage(std::vector<uint8_t>(100, 0)).has_value());
}

}  // namespace
