// Real Windows .evtx samples: every record agrees with independent readers,
// damaged samples read as far as they can with a report.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/api/utf.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_xml.h"
#include "tests/formats_evtx/evtx_test_util.h"

using namespace formats;

namespace {

bool HasDiagnostic(const EvtxReadResult& r, const std::string& part) {
  return evtxtest::HasDiagnostic(r.diagnostics, part);
}

}  // namespace

TEST(EvtxSamples, AgreeWithIndependentReaders) {
  bool any = false;
  for (const char* tool : {"evtxexport", "python-evtx"}) {
    for (const char* name :
         {"security.evtx", "system.evtx", "new-user-security.evtx", "Security_short_selected.evtx",
          "Application_no_crc32.evtx", "sample_with_a_bad_chunk_magic.evtx", "sample-with-zero-data-size-event.evtx"}) {
      std::string path = evtxtest::SamplePath(name), report;
      if (path.empty()) GTEST_SKIP() << "sample " << name << " is absent";
      if (!evtxtest::CrossCheck(tool, path, ReadEvtxFile(path).records, report)) break;
      any = true;
    }
  }
  if (!any) GTEST_SKIP() << "no independent .evtx reader is installed";
}

TEST(EvtxSamples, WholeSamplesReadCleanly) {
  for (const char* name : {"security.evtx", "system.evtx", "new-user-security.evtx", "Security_short_selected.evtx"}) {
    std::string path = evtxtest::SamplePath(name);
    if (path.empty()) GTEST_SKIP() << "sample " << name << " is absent";
    EvtxReadResult r = ReadEvtxFile(path);
    EXPECT_TRUE(r.valid);
    EXPECT_TRUE(r.header.checksumValid) << name;
    EXPECT_TRUE(r.diagnostics.empty()) << name << ": " << r.diagnostics.front();
    ASSERT_FALSE(r.records.empty());
    // Record ids within a whole log ascend by one.
    for (size_t i = 1; i < r.records.size(); ++i)
      ASSERT_EQ(r.records[i].recordId, r.records[i - 1].recordId + 1) << name;
  }
}

// Checksums missing, a record of size zero, a chunk's bad signature:
// reported, and every other record still read.
TEST(EvtxSamples, ChecksumsMissingOrARecordDamagedAreReported) {
  std::string path = evtxtest::SamplePath("Application_no_crc32.evtx");
  if (path.empty()) GTEST_SKIP() << "sample is absent";
  EvtxReadResult r = ReadEvtxFile(path);
  EXPECT_FALSE(r.header.checksumValid);
  EXPECT_TRUE(HasDiagnostic(r, "file header: checksum mismatch"));
  EXPECT_TRUE(HasDiagnostic(r, "chunk 0: header checksum mismatch"));
  EXPECT_TRUE(HasDiagnostic(r, "chunk 0: event records checksum mismatch"));
  EXPECT_EQ(r.records.size(), 17u);
  path = evtxtest::SamplePath("sample-with-zero-data-size-event.evtx");
  if (path.empty()) GTEST_SKIP() << "sample is absent";
  r = ReadEvtxFile(path);
  EXPECT_TRUE(HasDiagnostic(r, "chunk 0: record 3: bad size"));
  // Record 3 has a size of zero; records 4 to 117 of the same chunk follow it.
  std::vector<uint64_t> ids;
  for (const EvtxRecord& rec : r.records) ids.push_back(rec.recordId);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 3u), 0);
  for (uint64_t id : {1u, 2u, 4u, 117u, 118u}) EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << id;
  // A bad chunk signature skips only that chunk.
  path = evtxtest::SamplePath("sample_with_a_bad_chunk_magic.evtx");
  if (path.empty()) GTEST_SKIP() << "sample is absent";
  std::unique_ptr<EvtxReader> reader;
  std::string error;
  ASSERT_TRUE(EvtxReader::Open(path, reader, error));
  std::vector<EvtxRecord> records;
  std::vector<std::string> diagnostics;
  EXPECT_FALSE(reader->readChunk(6, records, diagnostics));
  EXPECT_TRUE(records.empty());
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0], "chunk 6: bad signature, skipped");
  EXPECT_TRUE(reader->readChunk(7, records, diagnostics));
  EXPECT_FALSE(records.empty());
  EvtxReadResult all = reader->readAll();
  EXPECT_TRUE(HasDiagnostic(all, "chunk 10: bad signature, skipped"));
  EXPECT_GT(all.records.size(), 250u);
}

TEST(EvtxSamples, SystemValuesHaveTheirRenderTypes) {
  std::string path = evtxtest::SamplePath("new-user-security.evtx");
  if (path.empty()) GTEST_SKIP() << "sample is absent";
  EvtxReadResult r = ReadEvtxFile(path);
  ASSERT_FALSE(r.records.empty());
  const EvtxRecord& rec = r.records.front();
  EvtxSystem sys = GetEvtxSystem(rec.event);
  std::u16string system;  // type:text of each property
  for (EVT_SYSTEM_PROPERTY_ID p :
       {EvtSystemProviderName, EvtSystemProviderGuid, EvtSystemEventID, EvtSystemQualifiers, EvtSystemLevel,
        EvtSystemKeywords, EvtSystemTimeCreated, EvtSystemProcessID, EvtSystemUserID, EvtSystemChannel})
    system += plat::Utf8ToUtf16(std::to_string(sys[p].type)) + u":" + EvtxValueText(sys[p]) + u" ";
  EXPECT_EQ(system,
            u"1:Microsoft-Windows-Security-Auditing 15:{54849625-5478-4994-A5BA-3E3B0328C30D} 6:4728 0: 4:0 "
            u"21:0x8020000000000000 17:2013-10-23T16:22:39.9735000Z 8:508 0: 1:Security ");
  EXPECT_EQ(sys[EvtSystemTimeCreated].asUInt64(), rec.writtenTime);
  std::u16string user;  // name:type:text of the second and ninth values
  std::vector<EvtxUserValue> values = GetEvtxUserValues(rec.event);
  ASSERT_EQ(values.size(), 10u);
  for (size_t i : {1, 8})
    user += values[i].name + u":" + plat::Utf8ToUtf16(std::to_string(values[i].value.type)) + u":" +
            EvtxValueText(values[i].value) + u" ";
  EXPECT_EQ(user, u"MemberSid:19:S-1-5-21-3463664321-2923530833-3546627382-1000 SubjectLogonId:21:0x3e7 ");

  std::u16string xml = RenderEvtxXml(rec.event);
  EXPECT_EQ(xml.rfind(u"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>", 0), 0u);
  EXPECT_NE(xml.find(u"<TimeCreated SystemTime='2013-10-23T16:22:39.9735000Z'/>"), std::u16string::npos);
  EXPECT_NE(xml.find(u"<Data Name='SubjectLogonId'>0x3e7</Data>"), std::u16string::npos);
  EXPECT_NE(xml.find(u"<Correlation/>"), std::u16string::npos);
}

// A record that is a plain element (no template) with rich event data: the
// element starts carry no dependency identifier.
TEST(EvtxSamples, PlainElementRecordReadsWhole) {
  std::string path = evtxtest::SamplePath("issue_201.evtx");
  if (path.empty()) GTEST_SKIP() << "sample issue_201.evtx is absent";
  EvtxReadResult r = ReadEvtxFile(path);
  ASSERT_EQ(r.records.size(), 1u) << (r.diagnostics.empty() ? "" : r.diagnostics[0]);
  EXPECT_TRUE(r.diagnostics.empty()) << r.diagnostics[0];
  const EvtxEvent& e = r.records[0].event;
  EvtxSystem sys = GetEvtxSystem(e);
  EXPECT_EQ(EvtxValueText(sys[EvtSystemProviderName]), u"MSExchange CmdletLogs");
  EXPECT_EQ(sys[EvtSystemEventID].asUInt64(), 1u);
  EXPECT_EQ(sys[EvtSystemQualifiers].asUInt64(), 16384u);
  EXPECT_EQ(EvtxValueText(sys[EvtSystemComputer]), u"WEC.ave.local");
  std::vector<EvtxUserValue> values = GetEvtxUserValues(e);
  ASSERT_EQ(values.size(), 27u);
  EXPECT_EQ(EvtxValueText(values.front().value), u"Set-Mailbox");
  EXPECT_EQ(EvtxValueText(values.back().value), u"fr-FR");
  size_t empty = std::count_if(values.begin(), values.end(),
                               [](const EvtxUserValue& v) { return EvtxValueText(v.value).empty(); });
  EXPECT_GT(empty, 0u) << "empty values keep their places";
}
