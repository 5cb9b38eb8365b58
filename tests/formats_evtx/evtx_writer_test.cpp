// The writer: what it writes reads back with identical values, in our reader
// and in independent readers.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/formats/evtx_log_update.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/evtx_xml.h"
#include "platform/formats/file_bytes.h"
#include "tests/formats_evtx/evtx_test_util.h"
#include "tests/support/temp_dir.h"

using namespace formats;
using evtxtest::Ids;
using evtxtest::Written;

namespace {

std::vector<uint8_t> Sid(std::u16string_view text) {
  std::vector<uint8_t> sid;
  EXPECT_TRUE(ParseEvtxSid(text, sid)) << "bad SID text";
  return sid;
}

GUID Guid(std::u16string_view text) {
  GUID g{};
  EXPECT_TRUE(ParseEvtxGuid(text, g));
  return g;
}

// Events of every value type, with record ids starting far above 2^32.
std::vector<EvtxRecord> SampleRecords(size_t count) {
  std::vector<EvtxRecord> records;
  for (size_t i = 0; i < count; ++i) {
    EvtxEventSpec s;
    s.provider = i % 2 ? u"Service Control Manager" : u"Microsoft-Windows-Security-Auditing";
    s.providerGuid = Guid(u"{555908D1-A6D7-4695-8E1E-26931D2012F4}");
    if (i % 3 == 0) s.eventSourceName = u"Service Control Manager";
    s.eventId = static_cast<uint16_t>(7036 + i % 5);
    if (i % 2) s.qualifiers = 16384;
    s.level = static_cast<uint8_t>(i % 5);
    s.task = static_cast<uint16_t>(12544 + i);
    s.opcode = 1;
    s.keywords = 0x8080000000000000ull | i;
    s.timeCreated = 130000000000000000ull + i * 10000001ull;
    s.recordId = 0x100000000ull + 7 + i;
    if (i % 4 == 0) s.activityId = Guid(u"{11111111-2222-3333-4444-555566667777}");
    s.processId = 508;
    s.threadId = static_cast<uint32_t>(1000 + i);
    s.channel = u"System";
    s.computer = u"WORKSTATION-" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
    if (i % 2 == 0) s.userSid = Sid(u"S-1-5-21-3463664321-2923530833-3546627382-1000");
    s.data = {
        {u"param1", EvtxValue::String(u"text with <markup> & \"quotes\" \u00e9\u4e2d")},
        {u"Count", EvtxValue::Integer(EvtVarTypeUInt32, 4000000000u + i)},
        {u"Delta", EvtxValue::Integer(EvtVarTypeInt64, static_cast<uint64_t>(-5 - static_cast<int64_t>(i)))},
        {u"Small", EvtxValue::Integer(EvtVarTypeInt16, static_cast<uint64_t>(-300))},
        {u"Flags", EvtxValue::Integer(EvtVarTypeHexInt32, 0x1f)},
        {u"LogonId", EvtxValue::Integer(EvtVarTypeHexInt64, 0x3e7)},
        {u"Enabled", EvtxValue::Boolean(i % 2)},
        {u"Ratio", EvtxValue::Double(0.25)},
        {u"Object", EvtxValue::Guid(Guid(u"{ABCDEF01-2345-6789-ABCD-EF0123456789}"))},
        {u"When", EvtxValue::FileTime(130000000000000000ull)},
        {u"Who", EvtxValue::Sid(Sid(u"S-1-5-18"))},
        {u"Payload", EvtxValue::Binary({0xde, 0xad, 0xbe, 0xef})},
        {u"Ansi",
         [] {
           EvtxValue v;
           v.type = EvtVarTypeAnsiString;
           v.bytes = {'a', 'n', 's', 'i'};
           return v;
         }()},
        {u"", EvtxValue::String(u"unnamed")},
    };
    if (i % 2) s.data.push_back({u"Empty", EvtxValue::Null()});
    records.push_back(BuildEvtxRecord(s));
  }
  return records;
}

EvtxReadResult WriteAndRead(const std::vector<EvtxRecord>& records, std::vector<uint8_t>& bytes) {
  std::string error;
  EXPECT_TRUE(WriteEvtx(records, bytes, error)) << error;
  return ReadEvtx(bytes);
}

// An event of some 40 KB: two never share a chunk.
EvtxRecord Big(uint64_t id) {
  return evtxtest::Record(id, {{u"Blob", EvtxValue::Binary(std::vector<uint8_t>(40000, static_cast<uint8_t>(id)))}});
}

EvtxLogUpdate PlanAppend(const std::vector<uint8_t>& file, const EvtxRecord& record, size_t maxChunks) {
  EvtxLogUpdate update;
  std::string error;
  EXPECT_TRUE(PlanEvtxAppend(EvtxReader(file), record, maxChunks, update, error)) << error;
  return update;
}

}  // namespace

TEST(EvtxWriter, RoundTripKeepsEveryValueAndType) {
  std::vector<EvtxRecord> records = SampleRecords(400);  // several chunks
  std::vector<uint8_t> bytes;
  EvtxReadResult back = WriteAndRead(records, bytes);
  EXPECT_TRUE(back.diagnostics.empty()) << back.diagnostics.front();
  EXPECT_TRUE(back.header.checksumValid);
  EXPECT_GT(bytes.size(), kEvtxFileHeaderSize + 2 * kEvtxChunkSize);
  EXPECT_EQ((bytes.size() - kEvtxFileHeaderSize) % kEvtxChunkSize, 0u);
  EXPECT_EQ(back.header.nextRecordId, records.back().recordId + 1);
  ASSERT_EQ(back.records.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const EvtxRecord& a = records[i];
    const EvtxRecord& b = back.records[i];
    ASSERT_EQ(b.recordId, a.recordId);
    ASSERT_EQ(b.writtenTime, a.writtenTime);
    EvtxSystem sa = GetEvtxSystem(a.event), sb = GetEvtxSystem(b.event);
    for (int p = 0; p < EvtSystemPropertyIdEND; ++p) ASSERT_EQ(sb.values[p], sa.values[p]) << "property " << p;
    ASSERT_EQ(sb.eventSourceName, sa.eventSourceName);
    std::vector<EvtxUserValue> ua = GetEvtxUserValues(a.event), ub = GetEvtxUserValues(b.event);
    ASSERT_EQ(ub.size(), ua.size());
    for (size_t k = 0; k < ua.size(); ++k) {
      EXPECT_EQ(ub[k].name, ua[k].name);
      EXPECT_EQ(ub[k].value, ua[k].value) << "value " << k << " of record " << i;
    }
    ASSERT_EQ(RenderEvtxXml(b.event), RenderEvtxXml(a.event));
  }
  EvtxSystem first = GetEvtxSystem(back.records[0].event);
  EXPECT_EQ(first[EvtSystemUserID].type, EvtVarTypeSid);
  EXPECT_EQ(first[EvtSystemActivityID].type, EvtVarTypeGuid);
  EXPECT_EQ(first[EvtSystemKeywords].type, EvtVarTypeHexInt64);
}

TEST(EvtxWriter, ArraysCdataAndReferencesRoundTrip) {
  EvtxRecord r = evtxtest::Record(
      1, {{u"Strings", EvtxValue::Array(EvtVarTypeString,
                                        {EvtxValue::String(u"a"), EvtxValue::String(u""), EvtxValue::String(u"c")})},
          {u"Numbers", EvtxValue::Array(EvtVarTypeUInt32, {EvtxValue::Integer(EvtVarTypeUInt32, 1),
                                                           EvtxValue::Integer(EvtVarTypeUInt32, 2)})},
          {u"Sids",
           EvtxValue::Array(EvtVarTypeSid, {EvtxValue::Sid(Sid(u"S-1-5-18")), EvtxValue::Sid(Sid(u"S-1-5-32-544"))})}});
  // Add <Extra>&amp;&#65;<![CDATA[x<y]]></Extra> under EventData by hand.
  auto names = std::make_shared<EvtxNames>(*r.event.names);
  EvtxEvent& e = r.event;
  e.names = names;
  auto append = [&](EvtxNodeKind kind, uint32_t parent) -> EvtxNode& {
    uint32_t* link = &e.nodes[parent].firstChild;
    while (*link != kEvtxNone) link = &e.nodes[*link].nextSibling;
    *link = static_cast<uint32_t>(e.nodes.size());
    EvtxNode& n = e.nodes.emplace_back();
    n.kind = kind;
    n.parent = parent;
    return n;
  };
  const uint32_t extra = static_cast<uint32_t>(e.nodes.size());
  append(EvtxNodeKind::Element, e.index(*e.find({u"EventData"}))).name = names->Intern(u"Extra");
  append(EvtxNodeKind::EntityRef, extra).name = names->Intern(u"amp");
  append(EvtxNodeKind::CharRef, extra).charRef = 65;
  append(EvtxNodeKind::CData, extra).value = static_cast<uint32_t>(e.values.size());
  e.values.push_back(EvtxValue::String(u"x<y"));

  std::vector<uint8_t> bytes;
  EvtxReadResult back = WriteAndRead({r}, bytes);
  ASSERT_EQ(back.records.size(), 1u);
  std::u16string xml = RenderEvtxXml(back.records[0].event);
  EXPECT_EQ(xml, RenderEvtxXml(r.event));
  EXPECT_NE(xml.find(u"<Data Name='Strings'>a</Data><Data Name='Strings'></Data><Data Name='Strings'>c</Data>"),
            std::u16string::npos);
  EXPECT_NE(xml.find(u"<Data Name='Sids'>S-1-5-32-544</Data>"), std::u16string::npos);
  EXPECT_NE(xml.find(u"<Extra>&amp;&#65;<![CDATA[x<y]]></Extra>"), std::u16string::npos);
  std::vector<EvtxUserValue> user = GetEvtxUserValues(back.records[0].event);
  ASSERT_GE(user.size(), 4u);
  EXPECT_EQ(user[0].value.type, EvtVarTypeString | EVT_VARIANT_TYPE_ARRAY);
  EXPECT_EQ(user[0].value.items.size(), 3u);
  EXPECT_EQ(user[2].value.items[1], EvtxValue::Sid(Sid(u"S-1-5-32-544")));
  EXPECT_EQ(user[3].name, u"Extra");
  EXPECT_EQ(user[3].value.text, u"&Ax<y");
}

// A record larger than a chunk is refused; so is an append to a file that
// is no log, which is left alone.
TEST(EvtxWriter, ARecordLargerThanAChunkOrAFileThatIsNoLogIsRefused) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(
      WriteEvtx({evtxtest::Record(1, {{u"Huge", EvtxValue::Binary(std::vector<uint8_t>(70000, 1))}})}, bytes, error));
  EXPECT_NE(error.find("does not fit"), std::string::npos);
  const std::vector<uint8_t> garbage(5000, 'x');
  EvtxLogUpdate update;
  EXPECT_FALSE(PlanEvtxAppend(EvtxReader(garbage), Big(1), 4, update, error));
  EXPECT_NE(error.find("not an .evtx log"), std::string::npos) << error;
  EXPECT_TRUE(update.pieces.empty());
}

TEST(EvtxWriter, IndependentReadersReadWhatWeWrite) {
  testsupport::TempDir dir;
  const std::string file = dir.path() + "/evtx_written.evtx";
  std::string error, report;
  ASSERT_TRUE(WriteEvtxFile(file, SampleRecords(300), error)) << error;
  bool any = false;
  for (const char* tool : {"evtxexport", "python-evtx"}) {
    if (!evtxtest::CrossCheck(tool, file, ReadEvtxFile(file).records, report)) continue;
    any = true;
    EXPECT_NE(report.find(": 300 records"), std::string::npos) << report;
  }
  if (!any) GTEST_SKIP() << "no independent .evtx reader is installed";
}

// Records appended one at a time to a live log give the very bytes the
// writer gives for them all at once; past its last chunk the log wraps round
// and overwrites its oldest chunk.
TEST(EvtxLogUpdate, AppendsGiveTheWritersBytesAndWrapRound) {
  const std::vector<EvtxRecord> records = SampleRecords(300);
  std::vector<uint8_t> file;
  uint64_t overwritten = 0;
  for (const EvtxRecord& r : records) {
    EvtxLogUpdate update = PlanAppend(file, r, 1000);
    EXPECT_EQ(update.overwritten, 0u);
    ApplyEvtxUpdate(update, file);
  }
  const std::vector<uint8_t> whole = Written(records);
  EXPECT_TRUE(file == whole) << "the appended file differs from the written one";

  file.clear();
  for (const EvtxRecord& r : records) {
    EvtxLogUpdate update = PlanAppend(file, r, 2);
    overwritten += update.overwritten;
    ApplyEvtxUpdate(update, file);
  }
  std::vector<std::string> diagnostics;
  const std::vector<uint64_t> ids = Ids(file, &diagnostics);
  EXPECT_TRUE(diagnostics.empty()) << diagnostics[0];
  EXPECT_EQ(file.size(), kEvtxFileHeaderSize + 2 * kEvtxChunkSize);
  ASSERT_FALSE(ids.empty());
  EXPECT_GT(overwritten, 0u);
  EXPECT_EQ(ids.size() + overwritten, records.size());
  EXPECT_EQ(ids.back(), records.back().recordId);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

// An append that stops after any of its writes, or half-way through one,
// leaves every record that was there readable (those it was to overwrite
// aside), and the next append puts the file right.
TEST(EvtxLogUpdate, AStoppedAppendLosesNothingAndTheNextRepairs) {
  struct Case {
    const char* what;
    std::vector<EvtxRecord> before;
    size_t maxChunks;
    size_t pieces;
  };
  const std::vector<EvtxRecord> sample = SampleRecords(10);
  const Case cases[] = {
      {"a new file", {}, 4, 4},
      {"in the newest chunk", sample, 4, 3},
      {"a new chunk", {Big(1)}, 4, 3},
      {"over the oldest chunk", {Big(1), Big(2)}, 2, 4},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> base = c.before.empty() ? std::vector<uint8_t>{} : Written(c.before);
    const uint64_t next = c.before.empty() ? 1 : c.before.back().recordId + 1;
    const EvtxLogUpdate update = PlanAppend(base, Big(next), c.maxChunks);
    ASSERT_EQ(update.pieces.size(), c.pieces) << c.what;
    const std::vector<uint64_t> kept = [&] {
      std::vector<uint64_t> ids = Ids(base);
      ids.erase(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(update.overwritten));
      return ids;
    }();
    for (size_t stop = 0; stop < 2 * update.pieces.size(); ++stop) {
      std::vector<uint8_t> file = base;
      EvtxLogUpdate part = update;
      part.pieces.resize(stop / 2 + 1);
      if (stop % 2 == 0) part.pieces.back().bytes.resize(part.pieces.back().bytes.size() / 2);
      ApplyEvtxUpdate(part, file);
      const std::vector<uint64_t> ids = Ids(file);
      for (uint64_t id : kept)
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << c.what << ", stop " << stop << ": lost " << id;

      ApplyEvtxUpdate(PlanAppend(file, Big(next + 1), c.maxChunks), file);
      std::vector<std::string> diagnostics;
      const std::vector<uint64_t> repaired = Ids(file, &diagnostics);
      EXPECT_TRUE(diagnostics.empty()) << c.what << ", stop " << stop << ": " << diagnostics[0];
      ASSERT_FALSE(repaired.empty()) << c.what;
      EXPECT_EQ(repaired.back(), next + 1) << c.what << ", stop " << stop;
    }
  }
}

// Windows' own files: an append starts a chunk of its own after the newest
// (whose bytes this writer would not give back), in the unused space the file
// was made with or at its end, and the file header counts the chunks in use:
// the file reads as before, without a report, with the new records after.
TEST(EvtxLogUpdate, AppendsToAWindowsFileKeepEveryRecord) {
  for (const char* name : {"security.evtx", "system.evtx"}) {
    const std::string path = evtxtest::SamplePath(name);
    if (path.empty()) GTEST_SKIP() << "samples not available";
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadFileBytes(path, &file));
    const EvtxReadResult before = ReadEvtx(file);
    ASSERT_FALSE(before.records.empty()) << name;
    for (uint64_t k = 1; k <= 3; ++k)
      ApplyEvtxUpdate(PlanAppend(file, Big(before.records.back().recordId + k), 4096), file);
    std::vector<std::string> diagnostics;
    const std::vector<uint64_t> ids = Ids(file, &diagnostics);
    EXPECT_TRUE(diagnostics.empty()) << name << ": " << diagnostics[0];
    ASSERT_EQ(ids.size(), before.records.size() + 3) << name;
    EXPECT_TRUE(std::equal(before.records.begin(), before.records.end(), ids.begin(),
                           [](const EvtxRecord& r, uint64_t id) { return r.recordId == id; }))
        << name;
  }
}
