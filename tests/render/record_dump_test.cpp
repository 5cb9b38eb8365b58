#include "render/record_dump.h"

#include <cstdio>
#include <map>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "platform/api/wide.h"
#include "platform/formats/evt_record.h"
#include "render/sid_cache.h"
#include "tests/render/render_test_files.h"
#include "tests/support/evt_values.h"

using namespace cmr;

namespace {

using testsupport::Typed;

// The collector as the dumps see it, with fixed answers.
class FakeCollector : public DumpContext {
 public:
  bool resolveSids = false, collectResources = false, resolveComputerName = false;
  std::map<std::u16string, CSidCache::SidInfo> accounts;  // by SID string
  std::map<std::u16string, std::u16string> hostNames;     // name -> resolved
  std::map<std::u16string, std::u16string> expansions;    // text -> expanded
  int written = 0;

  bool ResolveSids() const override { return resolveSids; }
  bool CollectEventResources() const override { return collectResources; }
  bool ResolveComputerName() const override { return resolveComputerName; }
  std::shared_ptr<CSidCache::SidInfo> LookupSidText(const std::u16string& text) override {
    auto found = accounts.find(text);
    return found == accounts.end() ? nullptr : std::make_shared<CSidCache::SidInfo>(found->second);
  }
  std::u16string ResolveHostName(const std::u16string& name) override {
    auto found = hostNames.find(name);
    return found == hostNames.end() ? u"" : found->second;
  }
  std::u16string ExpandParameters(const std::u16string&, const std::u16string& text) override {
    auto found = expansions.find(text);
    return found == expansions.end() ? text : found->second;
  }
  void CountWrittenRecord() override { ++written; }
};

const CSidCache::SidInfo kSystem{u"S-1-5-18", u"SYSTEM", u"NT AUTHORITY"};

class RecordDumpTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(writer_.Open(rendertest::Wide(path_))); }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string Content() {
    writer_.Close();
    return rendertest::GzipContent(path_);
  }

  std::string path_ = rendertest::ScratchPath("dump.adevt");
  EventFileWriter writer_;
  FakeCollector collector_;
};

formats::EvtRecordFields ClassicFields() {
  formats::EvtRecordFields f;
  f.source = u"Src#1";
  f.computer = u"PC~1";
  f.recordNumber = 0x10;
  f.eventId = 0xC0000005;
  f.eventType = 4;
  f.category = 3;
  f.timeWritten = 0;
  f.strings = {u"a~b", u"S-1-5-18", u"third"};
  return f;
}

TEST_F(RecordDumpTest, ClassicRecordWithEveryOptionalField) {
  collector_.resolveSids = true;
  collector_.resolveComputerName = true;
  collector_.accounts[u"S-1-5-18"] = kSystem;
  collector_.hostNames[u"PC~1"] = u"pc1.example";
  CSidCache::SidInfo user{u"S-1-5-21-7-1001", u"ann", u"DOM"};
  ExtraFields extra{{u"FROM", u"fe80::1"}, {u"MAC", u""}, {u"FQDN", u"host.example"}};
  std::vector<uint8_t> record = formats::BuildEvtRecord(ClassicFields());
  DumpClassicRecord(writer_, record, &user, &extra, collector_);
  EXPECT_EQ(collector_.written, 1);
  EXPECT_EQ(Content(),
            "TW~1970-01-01 00-00-00 0#TWN~00000000#RN~00000010#EI~5#ET~4#EC~3#ES~Src#1#COMP~PC^007E1#"
            "LC~pc1.example#SID~S-1-5-21-7-1001#USER~DOM\\ann#FROM~fe80^003A^003A1#FQDN~host.example#"
            "NUMSTR~3#IS01~a^007Eb#IS02~S-1-5-18#IS03~third#IS05~NT AUTHORITY\\SYSTEM#\r\n");
}

// SIDs are not resolved when not asked; a computer name that does not
// resolve is written as it is.
TEST_F(RecordDumpTest, ClassicRecordWithoutSidsAndAnUnresolvedComputerName) {
  collector_.accounts[u"S-1-5-18"] = kSystem;
  collector_.resolveComputerName = true;
  formats::EvtRecordFields f = ClassicFields();
  f.strings = {u"%%1", u"x:y"};
  collector_.collectResources = true;
  collector_.expansions[u"%%1"] = u"one";
  DumpClassicRecord(writer_, formats::BuildEvtRecord(f), nullptr, nullptr, collector_);
  EXPECT_EQ(Content(),
            "TW~1970-01-01 00-00-00 0#TWN~00000000#RN~00000010#EI~5#ET~4#EC~3#ES~Src#1#COMP~PC^007E1#"
            "LC~PC^007E1#NUMSTR~2#IS01~%%1#IS02~x^003Ay#IS03~one#\r\n");
}

TEST_F(RecordDumpTest, RenderedEventFieldsInOrder) {
  static GUID activity{0x11223344, 0x5566, 0x7788, {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}};
  static BYTE sid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  std::vector<EVT_VARIANT> system(EvtSystemPropertyIdEND, Typed(EvtVarTypeNull));
  system[EvtSystemProviderName] = testsupport::StringValue(u"Prov:A");
  system[EvtSystemEventID] = Typed(EvtVarTypeUInt16);
  system[EvtSystemEventID].UInt16Val = 4624;
  system[EvtSystemLevel] = Typed(EvtVarTypeByte);
  system[EvtSystemTask] = Typed(EvtVarTypeUInt16);
  system[EvtSystemTask].UInt16Val = 12544;
  system[EvtSystemOpcode] = Typed(EvtVarTypeByte);
  system[EvtSystemKeywords] = Typed(EvtVarTypeHexInt64);
  system[EvtSystemKeywords].UInt64Val = 0x8000000000000000ull;
  system[EvtSystemTimeCreated] = Typed(EvtVarTypeFileTime);
  system[EvtSystemTimeCreated].FileTimeVal = 116444736000000000ull + 15000000;
  system[EvtSystemEventRecordId] = Typed(EvtVarTypeUInt64);
  system[EvtSystemEventRecordId].UInt64Val = 0x1122334455ull;
  system[EvtSystemActivityID] = Typed(EvtVarTypeGuid);
  system[EvtSystemActivityID].GuidVal = &activity;
  system[EvtSystemComputer] = testsupport::StringValue(u"PC:1");
  system[EvtSystemUserID] = Typed(EvtVarTypeSid);
  system[EvtSystemUserID].SidVal = sid;
  system[EvtSystemVersion] = Typed(EvtVarTypeByte);
  system[EvtSystemVersion].ByteVal = 2;
  RenderedEvent event;
  event.Assign(system, {testsupport::StringValue(u"x"), testsupport::StringValue(u"%%1")});

  collector_.collectResources = true;
  collector_.resolveComputerName = true;
  collector_.expansions[u"%%1"] = u"expanded";
  CSidCache::SidInfo account{u"S-1-5-18", u"SYS:TEM", u"NT AUTHORITY"};
  DumpRenderedEvent(writer_, event, &account, collector_);
  EXPECT_EQ(collector_.written, 0);
  EXPECT_EQ(Content(),
            "TW~1970-01-01 00-00-01 500#TWN~00000001#RN~0000001122334455#EI~4624#ES~Prov^003AA#"
            "EL~0#EC~12544#OC~0#KW~0x8000000000000000#AI~11223344-5566-7788-99AA-BBCCDDEEFF00#"
            "AI~11223344-5566-7788-99AA-BBCCDDEEFF00#VR~2#COMP~PC:1#LC~PC:1#SID~S-1-5-18#"
            "USER~NT AUTHORITY\\SYS^003ATEM#NUMSTR~2#IS01~x#IS02~%%1#IS04~expanded#\r\n");
}

// A classic record longer than its bytes, and a rendered event with a bad
// time, are refused and leave nothing in the file.
TEST_F(RecordDumpTest, RecordsThatCannotBeDumpedLeaveNothing) {
  std::vector<uint8_t> record = formats::BuildEvtRecord(ClassicFields());
  record.resize(record.size() - 8);  // Length now points past the bytes
  EXPECT_THROW(DumpClassicRecord(writer_, record, nullptr, nullptr, collector_), cmr::Win32Exception);
  std::vector<EVT_VARIANT> system(EvtSystemPropertyIdEND, Typed(EvtVarTypeNull));
  system[EvtSystemTimeCreated] = Typed(EvtVarTypeFileTime);
  system[EvtSystemTimeCreated].FileTimeVal = 0x8000000000000000ull;
  RenderedEvent event;
  event.Assign(system, {});
  EXPECT_THROW(DumpRenderedEvent(writer_, event, nullptr, collector_), cmr::Win32Exception);
  EXPECT_EQ(collector_.written, 0);
  EXPECT_EQ(Content(), "");
}

}  // namespace
