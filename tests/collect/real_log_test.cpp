// Real Windows logs collected as given files: .evtx files through the
// Windows Event Log interface (every event as the platform hands them out),
// the System log of a Windows XP computer through the classic one (every
// record the file holds). Each exactly once and in order, and nothing again
// from the stored position.
#include "base/format.h"
#include "platform/api/kernel.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/evt/wevtapi.h"
#include "render/rendered_event.h"
#include "tests/collect/collect_fixture.h"

using namespace cmr;

namespace collecttest {
namespace {

struct Position {
  uint64_t record;
  uint32_t time;
  bool operator==(const Position&) const = default;
};

// Every event of the file as EvtQuery and EvtNext hand them out.
std::vector<Position> PlatformEvents(const std::u16string& path) {
  std::vector<Position> events;
  EVT_HANDLE query = EvtQuery(nullptr, path.c_str(), nullptr, EvtQueryFilePath | EvtQueryForwardDirection);
  EXPECT_NE(query, nullptr) << GetLastError();
  if (!query) return events;
  const EvtRenderFunctions api{&EvtCreateRenderContext, &EvtRender, &EvtClose};
  EVT_HANDLE batch[64];
  DWORD got = 0;
  for (; EvtNext(query, 64, batch, INFINITE, 0, &got);) {
    for (DWORD i = 0; i < got; ++i) {
      RenderedEvent event;
      event.Render(api, batch[i], false);
      events.push_back({event.RecordId(), static_cast<uint32_t>(event.TimeCreatedUnixSeconds())});
      EvtClose(batch[i]);
    }
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EvtClose(query);
  return events;
}

// Every record the classic file holds, oldest first.
std::vector<Position> FileRecords(const std::string& file) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(formats::ReadFileBytes(file, &bytes));
  std::vector<Position> records;
  for (const auto& r : formats::ReadEvtFile(bytes).records) records.push_back({r.Number(), r.Header().TimeWritten});
  return records;
}

class RealLogCollection : public CollectFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(RealLogCollection, EveryRecordOnceInOrderThenNothingNew) {
  const std::string file = std::string(EC_TESTDATA_DIR "/logs/") + GetParam();
  if (!fs::exists(file)) GTEST_SKIP() << "test data absent: " << file;
  const std::u16string path = host::WindowsPathOf(file);
  const bool classic = file.ends_with(".Evt");
  const std::vector<Position> expected = classic ? FileRecords(file) : PlatformEvents(path);
  ASSERT_FALSE(classic && expected.size() < 100);

  cmr::CTaskEventLog config = Configuration(classic ? u"System" : u"Application", 0, 0, false, classic ? 1 : 2);
  config.LoadFromEvtFile = path;
  config.FallbackAPI = classic ? 0 : 1;
  WriteConfig(config);
  ASSERT_EQ(Run(true), S_OK);  // backups asked for: a given file is still read alone
  cmr::CTaskEventLog result = ReadConfig();
  ASSERT_EQ(result.ErrorStatus, 0) << cmr::Utf16ToUtf8(result.ErrorText);
  std::vector<Position> collected;
  if (!result.EventFileName.empty()) {
    for (const auto& e : ReadEntries(EventFilePath()))
      collected.push_back({cmr::ParseUInt64(FieldOf(e, u"RN"), 16), cmr::ParseUInt32(FieldOf(e, u"TWN"), 16)});
  }
  EXPECT_EQ(collected, expected);
  // Every gap in the ids read (events a damaged file could not give) is
  // named in the warning, and only those.
  std::u16string named;
  for (size_t i = 1; i < collected.size(); ++i) {
    const uint64_t from = collected[i - 1].record + 1, to = collected[i].record - 1;
    if (from > to) continue;
    named += from == to
                 ? cmr::FormatString(u"Event record %I64u could not be read and was skipped. ", from)
                 : cmr::FormatString(u"Event records %I64u to %I64u could not be read and were skipped. ", from, to);
  }
  EXPECT_EQ(result.Warning, named);
  // Both damaged samples have unreadable records between readable ones.
  const std::string name = GetParam();
  EXPECT_EQ(named.empty(),
            name != "sample_with_a_bad_chunk_magic.evtx" && name != "sample-with-zero-data-size-event.evtx");
  if (expected.empty()) return;

  AdvancePosition();
  ASSERT_EQ(Run(true), S_OK);
  result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, 0) << cmr::Utf16ToUtf8(result.ErrorText);
  EXPECT_EQ(result.EventFileName, u"");
  EXPECT_TRUE(result.LastEventFound) << cmr::Utf16ToUtf8(result.Warning);
  EXPECT_EQ(EventFiles().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Samples, RealLogCollection,
                         ::testing::Values("SysEvent.Evt", "Application_no_crc32.evtx", "Security_short_selected.evtx",
                                           "issue_201.evtx", "new-user-security.evtx",
                                           "sample-with-zero-data-size-event.evtx",
                                           "sample_with_a_bad_chunk_magic.evtx", "security.evtx", "system.evtx"));

}  // namespace
}  // namespace collecttest
