// The inputs the .evtx fuzz target once broke on, kept as regression cases
// of its property (fuzz/evtx_round_trip.h): each reads with a diagnostic
// where the writer could not give it back, and what is read survives being
// written and read again, whole or appended a record at a time. (Content
// after the event element cannot be written by the writer: its file is built
// byte by byte here.)
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fuzz/evtx_round_trip.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_writer.h"
#include "tests/formats_evtx/evtx_test_util.h"

using namespace formats;

namespace {

// The first element named `name` gets another name.
void Rename(EvtxRecord& record, std::u16string_view name, const std::u16string& to) {
  auto names = std::make_shared<EvtxNames>(*record.event.names);
  const uint32_t id = names->Intern(to);
  for (EvtxNode& n : record.event.nodes) {
    if (n.kind == EvtxNodeKind::Element && (*names)[n.name] == name) {
      n.name = id;
      break;
    }
  }
  record.event.names = names;
}

TEST(EvtxRoundTrip, InputsThatOnceBrokeIt) {
  struct Case {
    const char* what;
    std::vector<uint64_t> ids;
    std::function<void(EvtxRecord&)> change;
    const char* diagnostic;
    std::vector<uint64_t> kept;
    size_t diagnostics;
  };
  const Case cases[] = {
      // The name is one of the template's: the template is refused.
      {"a NUL inside a name",
       {1, 2},
       [](EvtxRecord& r) { Rename(r, u"Data", std::u16string(u"Da\0ta", 5)); },
       "bad template definition",
       {},
       2},
      // Records whose ids do not go up are skipped.
      {"repeated and decreasing ids", {5, 5, 3, 6}, nullptr, "", {5, 6}, 2},
  };
  for (const Case& c : cases) {
    std::vector<EvtxRecord> records;
    for (uint64_t id : c.ids) {
      records.push_back(evtxtest::Record(id, {{u"Name", EvtxValue::String(u"value")}}));
      if (c.change) c.change(records.back());
    }
    const std::vector<uint8_t> bytes = evtxtest::Written(records);
    std::vector<std::string> diagnostics;
    EXPECT_EQ(evtxtest::Ids(bytes, &diagnostics), c.kept) << c.what;
    EXPECT_EQ(diagnostics.size(), c.diagnostics) << c.what;
    EXPECT_TRUE(evtxtest::HasDiagnostic(diagnostics, c.diagnostic)) << c.what;
    EXPECT_EQ(fuzzcheck::EvtxRoundTripProblem(bytes), "") << c.what;
  }
}

// A file of one record whose Binary XML is two empty elements side by side,
// <A/><B/>, with every checksum sound.
std::vector<uint8_t> TwoRootsFile() {
  std::vector<uint8_t> file = evtxtest::Written({evtxtest::Record(1)});
  std::vector<uint8_t> chunk(kEvtxChunkHeaderSize, 0);
  std::memcpy(chunk.data(), "ElfChnk", 8);
  for (size_t field : {8, 16, 24, 32}) EvtxStore<uint64_t>(chunk, field, 1);
  EvtxStore<uint32_t>(chunk, 40, 128);
  EvtxStore<uint32_t>(chunk, 44, kEvtxChunkHeaderSize);
  EvtxAppend<uint32_t>(chunk, 0x00002a2a);
  EvtxAppend<uint32_t>(chunk, 0);  // size, set below
  EvtxAppend<uint64_t>(chunk, 1);
  EvtxAppend<uint64_t>(chunk, 0);
  for (uint8_t b : {0x0f, 1, 1, 0}) chunk.push_back(b);
  for (std::u16string_view name : {u"A", u"B"}) {
    chunk.push_back(0x01);  // element start: data size, then the name inline
    EvtxAppend<uint32_t>(chunk, 0);
    EvtxAppend<uint32_t>(chunk, static_cast<uint32_t>(chunk.size() + 4));
    EvtxAppend<uint32_t>(chunk, 0);
    EvtxAppend<uint16_t>(chunk, 0);
    EvtxAppend<uint16_t>(chunk, static_cast<uint16_t>(name.size()));
    EvtxAppendUtf16(chunk, name);
    EvtxAppend<uint16_t>(chunk, 0);
    chunk.push_back(0x03);  // empty element end
  }
  chunk.push_back(0x00);
  while ((chunk.size() + 4) % 8) chunk.push_back(0);
  const uint32_t size = static_cast<uint32_t>(chunk.size() + 4 - kEvtxChunkHeaderSize);
  EvtxAppend<uint32_t>(chunk, size);
  EvtxStore<uint32_t>(chunk, kEvtxChunkHeaderSize + 4, size);
  EvtxStore<uint32_t>(chunk, 48, static_cast<uint32_t>(chunk.size()));
  std::span<const uint8_t> all(chunk);
  EvtxStore<uint32_t>(chunk, 52, EvtxCrc32(all.subspan(kEvtxChunkHeaderSize)));
  EvtxStore<uint32_t>(chunk, 124, EvtxCrc32(all.subspan(128, 384), EvtxCrc32(all.subspan(0, 120))));
  chunk.resize(kEvtxChunkSize, 0);
  std::copy(chunk.begin(), chunk.end(), file.begin() + kEvtxFileHeaderSize);
  return file;
}

TEST(EvtxRoundTrip, ContentAfterTheEventElementIsRefusedWithAReport) {
  const std::vector<uint8_t> file = TwoRootsFile();
  const EvtxReadResult read = ReadEvtx(file);
  EXPECT_TRUE(read.records.empty());
  EXPECT_TRUE(evtxtest::HasDiagnostic(read.diagnostics, "record 1: content beside the event element"))
      << (read.diagnostics.empty() ? "no diagnostic" : read.diagnostics[0]);
  EXPECT_EQ(fuzzcheck::EvtxRoundTripProblem(file), "");
}

}  // namespace
