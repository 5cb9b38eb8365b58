// The values read through template plans are those read from the trees,
// value by value, and a chunk read for rendering keeps, skips and reports
// the records that the tree reader keeps, skips and reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/formats/evtx_chunk_records.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"
#include "tests/formats_evtx/evtx_test_util.h"
#include "tests/support/testdata.h"

using namespace formats;

namespace {

struct Tally {
  size_t records = 0;
  size_t direct = 0;
};

std::vector<EvtxValue> Copy(std::span<const EvtxValue* const> values) {
  std::vector<EvtxValue> out;
  for (const EvtxValue* v : values) out.push_back(*v);
  return out;
}

void ExpectSameRecord(EvtxChunkRecords& chunk, size_t i, const EvtxRecord& tree, const std::string& where) {
  EXPECT_EQ(chunk.recordId(i), tree.recordId) << where;
  EvtxSystemRefs refs;
  GetEvtxSystemRefs(tree.event, refs);
  std::vector<EvtxValue> system = Copy(refs.values);
  system[EvtSystemEventRecordId] = EvtxValue::Integer(EvtVarTypeUInt64, tree.recordId);
  EXPECT_EQ(Copy(chunk.systemValues(i)), system) << where;
  std::vector<const EvtxValue*> user;
  std::forward_list<EvtxValue> texts;
  GetEvtxUserValueRefs(tree.event, user, texts);
  EXPECT_EQ(Copy(chunk.userValues(i)), Copy(user)) << where;
  EXPECT_EQ(RenderEvtxXml(chunk.record(i)->event), RenderEvtxXml(tree.event)) << where;
}

// Reads every chunk both ways and compares; counts the records read by plan.
Tally CompareChunks(const EvtxReader& reader, const std::string& what) {
  Tally tally;
  for (size_t c = 0; c < reader.chunkCount(); ++c) {
    std::vector<EvtxRecord> trees;
    std::vector<std::string> treeReport, planReport;
    bool kept = reader.readChunk(c, trees, treeReport);
    auto chunk = EvtxChunkRecords::Read(reader, c, planReport);
    std::string where = what + " chunk " + std::to_string(c);
    EXPECT_EQ(planReport, treeReport) << where;
    EXPECT_EQ(chunk != nullptr, kept) << where;
    if (!chunk) continue;
    EXPECT_EQ(chunk->size(), trees.size()) << where;
    for (size_t i = 0; i < std::min(chunk->size(), trees.size()); ++i) {
      ExpectSameRecord(*chunk, i, trees[i], where + " record " + std::to_string(i));
      tally.direct += chunk->direct(i) ? 1 : 0;
    }
    tally.records += trees.size();
  }
  return tally;
}

// A tree of an event built node by node, for shapes the event builder does not make.
struct Tree {
  EvtxEvent event;
  std::shared_ptr<EvtxNames> names = std::make_shared<EvtxNames>();
  EvtxTreeBuilder b{event};
  Tree() { event.names = names; }
  void open(std::u16string_view name) { b.open(EvtxNodeKind::Element, names->Intern(name)); }
  void close() { b.close(); }
  void leaf(std::u16string_view name, std::vector<EvtxValue> values) {
    open(name);
    for (auto& v : values) b.addValue(std::move(v));
    close();
  }
  void attribute(std::u16string_view name, EvtxValue v) {
    b.open(EvtxNodeKind::Attribute, names->Intern(name));
    b.addValue(std::move(v));
    b.close();
  }
  void system(uint64_t i, EvtxValue eventId, EvtxValue level) {
    open(u"System");
    open(u"Provider");
    attribute(u"Name", EvtxValue::String(u"Provider"));
    close();
    leaf(u"EventID", {std::move(eventId)});
    leaf(u"Level", {std::move(level)});
    open(u"TimeCreated");
    attribute(u"SystemTime", EvtxValue::FileTime(1000 + i));
    close();
    leaf(u"EventRecordID", {EvtxValue::Integer(EvtVarTypeUInt64, 10 + i)});
    leaf(u"Channel", {EvtxValue::String(u"Security")});
    leaf(u"Computer", {EvtxValue::String(u"HOST" + std::u16string(i % 3, u'x'))});
    close();
  }
};

using Shape = std::function<EvtxEvent(uint64_t)>;

EvtxEvent Typical(uint64_t i) { return BuildEvtxEvent(evtxtest::TypicalSpec(i)); }

// An event whose EventData holds one Data element of the given content.
EvtxEvent OneData(uint64_t i, EvtxValue id, EvtxValue level, std::vector<EvtxValue> data) {
  Tree t;
  t.open(u"Event");
  t.system(i, std::move(id), std::move(level));
  t.open(u"EventData");
  t.leaf(u"Data", std::move(data));
  t.close();
  t.close();
  return std::move(t.event);
}

// System values written as texts: each is converted to its property's type.
EvtxEvent TextProperties(uint64_t i) {
  return OneData(i, EvtxValue::String(std::u16string(u"462") + char16_t(u'0' + i % 10)), EvtxValue::String(u"4"),
                 {EvtxValue::Integer(EvtVarTypeInt32, -static_cast<int64_t>(i))});
}

// A value of mixed content is read through the tree.
EvtxEvent MixedContent(uint64_t i) {
  return OneData(i, EvtxValue::Integer(EvtVarTypeUInt16, 1), EvtxValue::Integer(EvtVarTypeByte, 2),
                 {EvtxValue::String(u"port "), EvtxValue::Integer(EvtVarTypeUInt32, i)});
}

EvtxEvent UserData(uint64_t i) {
  Tree t;
  t.open(u"Event");
  t.system(i, EvtxValue::Integer(EvtVarTypeUInt16, 104), EvtxValue::Integer(EvtVarTypeByte, 4));
  t.open(u"UserData");
  t.open(u"LogFileCleared");
  t.attribute(u"xmlns", EvtxValue::String(u"http://example/event"));
  t.attribute(u"Kind", EvtxValue::Integer(EvtVarTypeUInt32, i));
  t.leaf(u"SubjectUserName", {EvtxValue::String(u"admin")});
  t.open(u"Inner");
  t.leaf(u"Deep", {EvtxValue::Integer(EvtVarTypeUInt64, i * 3)});
  t.leaf(u"Nothing", {});
  t.close();
  t.close();
  t.close();
  t.close();
  return std::move(t.event);
}

std::vector<uint8_t> Written(const Shape& shape, size_t count) {
  std::vector<EvtxRecord> records;
  for (uint64_t i = 0; i < count; ++i) {
    EvtxRecord r;
    r.recordId = 10 + i;
    r.writtenTime = 1000 + i;
    r.event = shape(i);
    records.push_back(std::move(r));
  }
  return evtxtest::Written(records);
}

TEST(EvtxChunkRecords, PlansGiveTheTreesValuesForGeneratedRecords) {
  struct Case {
    const char* name;
    Shape shape;
    bool direct;  // whether the records are read by plan
  };
  const Case cases[] = {
      {"typical", Typical, true},
      {"text properties", TextProperties, true},
      {"mixed content", MixedContent, false},
      {"user data", UserData, true},
  };
  for (const Case& c : cases) {
    EvtxReader reader(Written(c.shape, 400));
    Tally tally = CompareChunks(reader, c.name);
    EXPECT_EQ(tally.records, 400u) << c.name;
    EXPECT_EQ(tally.direct, c.direct ? tally.records : 0u) << c.name;
  }
}

TEST(EvtxChunkRecords, PlansGiveTheTreesValuesForEverySample) {
  std::string dir = testsupport::TestdataPath("logs");
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "the sample logs are absent";
  size_t files = 0, direct = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".evtx") continue;
    std::unique_ptr<EvtxReader> reader;
    std::string error;
    ASSERT_TRUE(EvtxReader::Open(entry.path().string(), reader, error)) << error;
    direct += CompareChunks(*reader, entry.path().filename().string()).direct;
    ++files;
  }
  EXPECT_GT(files, 0u);
  EXPECT_GT(direct, 0u);  // real templates are read by plan too
}

// Damage anywhere in the records: both readers keep and report the same.
TEST(EvtxChunkRecords, DamageIsJudgedAsTheTreeReaderJudgesIt) {
  const std::vector<uint8_t> clean = Written(Typical, 60);
  const size_t from = kEvtxFileHeaderSize + kEvtxChunkHeaderSize;
  for (size_t at = from; at < from + 2400; at += 3) {
    for (uint8_t mask : {uint8_t{0xFF}, uint8_t{0x01}}) {
      std::vector<uint8_t> bytes = clean;
      bytes[at] ^= mask;
      EvtxReader reader(std::move(bytes));
      CompareChunks(reader, "byte " + std::to_string(at));
    }
    if (testing::Test::HasFailure()) return;
  }
}

}  // namespace
