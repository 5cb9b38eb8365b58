#include <gtest/gtest.h>

#include <cstddef>
#include <set>

#include "platform/formats/evt_layout.h"
#include "platform/formats/evt_record.h"
#include "tests/formats_evt/evt_test_records.h"

using namespace formats;

namespace {

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  StoreAt(std::span<uint8_t>(bytes), offset, value);
}

// Built records view as their fields, and are laid out as Windows writes
// them: padding of 1 to 4 bytes before the closing length, UserSidOffset set
// without a SID, SID right after the computer name, StringOffset ==
// DataOffset without strings.
TEST(EvtRecord, BuildThenViewGivesTheFieldsBackInTheWindowsLayout) {
  std::set<uint32_t> paddings;
  for (uint32_t seed = 0; seed < 40; ++seed) {
    auto fields = evttest::SampleFields(seed);
    fields.recordNumber = seed + 1;
    const auto bytes = BuildEvtRecord(fields);
    ASSERT_EQ(CheckEvtRecordFrame(bytes), "") << seed;
    const EvtRecordView view(bytes);
    EXPECT_EQ(view.Fields(), fields) << seed;
    EXPECT_TRUE(view.Problems().empty()) << seed;
    const auto h = view.Header();
    EXPECT_EQ(h.Length, bytes.size());
    EXPECT_EQ(h.Reserved, 0x654c664cu);
    EXPECT_EQ(h.Length % 4, 0u);
    const uint32_t padding = h.Length - 4 - (h.DataOffset + h.DataLength);
    EXPECT_GE(padding, 1u);
    EXPECT_LE(padding, 4u);
    paddings.insert(padding);
    const uint32_t namesEnd = 0x38 + 2 * (fields.source.size() + 1 + fields.computer.size() + 1);
    EXPECT_EQ(h.UserSidOffset, namesEnd);
    EXPECT_EQ(h.StringOffset, h.UserSidOffset + h.UserSidLength);
    if (fields.strings.empty()) {
      EXPECT_EQ(h.StringOffset, h.DataOffset);
    }
    for (uint32_t i = h.DataOffset + h.DataLength; i < h.Length - 4; ++i) EXPECT_EQ(bytes[i], 0);
  }
  EXPECT_EQ(paddings, (std::set<uint32_t>{1, 2, 3, 4}));
}

// Offsets and counts that point outside the record are reported and read as
// empty; nothing outside the bytes is touched (the sanitizer build checks).
TEST(EvtRecord, DamagedFieldsStayInsideTheRecord) {
  auto fields = evttest::SampleFields(7);
  fields.strings = {u"one", u"two"};
  fields.data = {1, 2, 3};
  const auto good = BuildEvtRecord(fields);

  auto bytes = good;
  Put32(bytes, offsetof(EVENTLOGRECORD, UserSidOffset), 0xFFFFFFF0u);
  Put32(bytes, offsetof(EVENTLOGRECORD, DataLength), 0x7FFFFFFFu);
  const EvtRecordView view(bytes);
  EXPECT_TRUE(view.Sid().empty());
  EXPECT_TRUE(view.Data().empty());
  EXPECT_EQ(view.Problems().size(), 2u);

  // More strings announced than the record holds: the two real ones are
  // read, the rest is reported.
  bytes = good;
  StoreAt(std::span<uint8_t>(bytes), offsetof(EVENTLOGRECORD, NumStrings), uint16_t{9});
  EXPECT_EQ(EvtRecordView(bytes).Strings().size(), 3u);  // the data bytes read as a cut-off third string
  EXPECT_EQ(EvtRecordView(bytes).Strings()[1], u"two");
  EXPECT_EQ(EvtRecordView(bytes).Problems().size(), 1u);

  // Every prefix of a record, viewed on its own: whatever is cut off is
  // reported. Texts of every length around the four units the end of a
  // text is looked for at once, and units with one zero byte, which end
  // nothing.
  auto longTexts = fields;
  longTexts.strings = {u"",
                       u"abc",
                       u"abcd",
                       u"abcdefg",
                       u"abcdefgh",
                       u"abcdefghijk",
                       u"\x0100",
                       u"a\x0100\x0001"
                       u"b\x0200"
                       u"cdef"};
  const auto longRecord = BuildEvtRecord(longTexts);
  EXPECT_EQ(EvtRecordView(longRecord).Strings(), longTexts.strings);
  for (const auto& record : {good, longRecord}) {
    const auto h = EvtRecordView(record).Header();
    for (size_t n = 0; n <= record.size(); ++n) {
      const EvtRecordView prefix(std::span<const uint8_t>(record.data(), n));
      (void)prefix.Fields();
      EXPECT_EQ(prefix.Problems().empty(), n >= h.DataOffset + h.DataLength + 4) << n;
    }
  }
}

}  // namespace
