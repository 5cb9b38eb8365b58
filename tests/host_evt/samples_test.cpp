// Real .evtx samples queried as files and rendered through the Evt* functions.
#include <vector>

#include "platform/formats/evtx_reader.h"
#include "platform/host/files/paths.h"
#include "tests/host_evt/wevt_fixture.h"

namespace wevttest {
namespace {

using SamplesTest = WevtTest;
namespace fs = std::filesystem;

TEST_F(SamplesTest, EveryRecordOfEachSampleRenders) {
  fs::path folder = fs::path(EC_TESTDATA_DIR) / "logs";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no sample logs in " << folder;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".evtx") continue;
    ++files;
    auto expected = formats::ReadEvtxFile(entry.path().string());
    Handle query(EvtQuery(nullptr, host::WindowsPathOf(entry.path().string()).c_str(), nullptr, EvtQueryFilePath));
    ASSERT_TRUE(query) << entry.path() << " error " << GetLastError();
    std::vector<EVT_HANDLE> events(100);
    size_t count = 0;
    DWORD returned = 0;
    while (EvtNext(query.get(), 100, events.data(), INFINITE, 0, &returned)) {
      for (DWORD i = 0; i < returned; ++i, ++count) {
        RenderedValues(events[i], EvtRenderContextUser);
        DWORD properties = 0;
        const auto system = RenderedValues(events[i], EvtRenderContextSystem, &properties);
        ASSERT_EQ(properties, static_cast<DWORD>(EvtSystemPropertyIdEND));
        EXPECT_EQ(Variants(system)[EvtSystemEventRecordId].UInt64Val, expected.records[count].recordId) << entry.path();
        EvtClose(events[i]);
      }
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS)) << entry.path();
    EXPECT_EQ(count, expected.records.size()) << entry.path();
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace wevttest
