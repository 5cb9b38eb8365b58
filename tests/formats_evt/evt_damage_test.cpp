// Damaged and truncated files: the reader keeps every record it can read,
// reports what it skipped, and never reads outside the file (the sanitizer
// build checks the latter).
#include <gtest/gtest.h>

#include <map>

#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "tests/formats_evt/evt_test_records.h"

using namespace formats;
using evttest::MakeLog;

namespace {

// Every record read from a damaged copy is one of the original records.
void ExpectGenuine(const EvtFile& damaged, const EvtFile& original) {
  std::map<uint32_t, const EvtRecord*> byNumber;
  for (const auto& r : original.records) byNumber[r.Number()] = &r;
  for (const auto& r : damaged.records) {
    const auto it = byNumber.find(r.Number());
    ASSERT_NE(it, byNumber.end()) << r.Number();
    EXPECT_EQ(r.bytes, it->second->bytes) << r.Number();
  }
}

// Every cut keeps exactly the records wholly before it, unwrapped or wrapped.
TEST(EvtDamage, TruncationKeepsEveryWholeRecordBeforeTheCut) {
  for (const bool wrapped : {false, true}) {
    const auto log = wrapped ? MakeLog(4096, 300) : MakeLog(0x10000, 60);
    const auto& image = log.Image();
    const EvtFile original = ReadEvtFile(image);
    ASSERT_EQ(original.Wrapped(), wrapped);
    const uint32_t end = wrapped ? static_cast<uint32_t>(image.size()) : original.endOffset + kEvtEofSize;
    for (uint32_t cut = 0; cut < end; ++cut) {
      const EvtFile file = ReadEvtFile(std::span<const uint8_t>(image.data(), cut));
      size_t whole = 0;
      for (const auto& r : original.records) whole += r.offset + r.bytes.size() <= cut;
      ASSERT_EQ(file.records.size(), whole) << wrapped << " " << cut;
      ExpectGenuine(file, original);
      EXPECT_TRUE(file.Damaged()) << cut;
    }
  }
}

// A record whose frame is broken is skipped; the records on both sides of
// it are kept and the damage is reported at its offset.
TEST(EvtDamage, BrokenRecordIsSkippedAndReported) {
  for (bool wrapped : {false, true}) {
    const auto log = wrapped ? MakeLog(4096, 300) : MakeLog(0x10000, 40);
    const EvtFile original = ReadEvtFile(log.Image());
    for (size_t victim = 0; victim < original.records.size(); ++victim) {
      for (uint32_t field : {0u, 4u, 0xFFFFFFFFu}) {  // length, signature, closing length
        auto image = log.Image();
        const auto& r = original.records[victim];
        const uint32_t at = field == 0xFFFFFFFFu ? static_cast<uint32_t>(r.bytes.size()) - 4 : field;
        uint32_t offset = r.offset + at;
        if (offset >= image.size()) offset = offset - static_cast<uint32_t>(image.size()) + kEvtHeaderSize;
        image[offset] ^= 0x5A;
        const EvtFile file = ReadEvtFile(image);
        ASSERT_EQ(file.records.size(), original.records.size() - 1) << victim << " " << at;
        ExpectGenuine(file, original);
        ASSERT_FALSE(file.diagnostics.empty());
        EXPECT_EQ(file.diagnostics.front().offset, r.offset);
      }
    }
  }
}

// A garbled header: the end-of-file record gives the records. No end-of-file
// record anywhere: records are read from the header's start while their
// numbers go up, and old records left in the free space are not taken.
TEST(EvtDamage, LostHeaderOrEndOfFileRecord) {
  const auto log = MakeLog(4096, 300);
  const EvtFile original = ReadEvtFile(log.Image());
  for (bool header : {true, false}) {
    auto image = log.Image();
    if (header)
      for (size_t i = 0; i < kEvtHeaderSize; ++i) image[i] = static_cast<uint8_t>(0xA5 + i);
    else StoreAt(std::span<uint8_t>(image), original.endOffset + 4, uint32_t{0});
    const EvtFile file = ReadEvtFile(image);
    EXPECT_EQ(file.headerValid, !header);
    EXPECT_EQ(file.eofFound, header);
    EXPECT_TRUE(file.Damaged());
    EXPECT_EQ(file.records.size(), original.records.size());
    ExpectGenuine(file, original);
  }
}

}  // namespace
