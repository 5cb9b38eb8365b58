// The inputs the .evtx fuzz target once broke on, kept as regression cases
// of its property (fuzz/evtx_round_trip.h): each reads with a diagnostic
// where the writer could not give it back, and what is read survives being
// written and read again. (Content after the event element cannot be
// written by the writer; the Binary XML tests build it byte by byte.)
#include <gtest/gtest.h>

#include <functional>

#include "fuzz/evtx_round_trip.h"
#include "platform/formats/evtx_writer.h"
#include "tests/formats_evtx/evtx_test_util.h"

using namespace formats;

namespace {

EvtxRecord Record(uint64_t id) {
  EvtxEventSpec s;
  s.provider = u"P";
  s.recordId = id;
  s.data = {{u"Name", EvtxValue::String(u"value")}};
  return BuildEvtxRecord(s);
}

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
    size_t records;
  };
  const Case cases[] = {
      // The name is one of the template's: the template is refused.
      {"a NUL inside a name",
       {1, 2},
       [](EvtxRecord& r) { Rename(r, u"Data", std::u16string(u"Da\0ta", 5)); },
       "bad template definition",
       0},
      {"repeated and decreasing ids", {5, 5, 3, 6}, nullptr, "", 2},
  };
  for (const Case& c : cases) {
    std::vector<EvtxRecord> records;
    for (uint64_t id : c.ids) {
      records.push_back(Record(id));
      if (c.change) c.change(records.back());
    }
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteEvtx(records, bytes, error)) << c.what << ": " << error;
    const EvtxReadResult read = ReadEvtx(bytes);
    EXPECT_EQ(read.records.size(), c.records) << c.what;
    EXPECT_FALSE(read.diagnostics.empty()) << c.what;
    EXPECT_TRUE(evtxtest::HasDiagnostic(read.diagnostics, c.diagnostic)) << c.what;
    EXPECT_EQ(fuzzcheck::EvtxRoundTripProblem(bytes), "") << c.what;
  }
}

}  // namespace
