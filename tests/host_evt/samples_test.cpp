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
  Handle system(EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem));
  Handle user(EvtCreateRenderContext(0, nullptr, EvtRenderContextUser));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".evtx") continue;
    ++files;
    auto expected = formats::ReadEvtxFile(entry.path().string());
    Handle query(EvtQuery(nullptr, host::WindowsPathOf(entry.path().string()).c_str(), nullptr, EvtQueryFilePath));
    ASSERT_TRUE(query) << entry.path() << " error " << GetLastError();
    std::vector<EVT_HANDLE> events(100);
    std::vector<ULONGLONG> buffer(1024);
    size_t count = 0;
    DWORD returned = 0;
    while (EvtNext(query.get(), 100, events.data(), INFINITE, 0, &returned)) {
      for (DWORD i = 0; i < returned; ++i, ++count) {
        DWORD used = 0, properties = 0;
        for (EVT_HANDLE context : {system.get(), user.get()}) {
          if (!EvtRender(context, events[i], EvtRenderEventValues, static_cast<DWORD>(buffer.size() * 8), buffer.data(),
                         &used, &properties)) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            buffer.resize(used / 8 + 1);
            ASSERT_TRUE(EvtRender(context, events[i], EvtRenderEventValues, used, buffer.data(), &used, &properties));
          }
          if (context == system.get()) {
            auto* v = reinterpret_cast<const EVT_VARIANT*>(buffer.data());
            ASSERT_EQ(properties, static_cast<DWORD>(EvtSystemPropertyIdEND));
            EXPECT_EQ(v[EvtSystemEventRecordId].UInt64Val, expected.records[count].recordId) << entry.path();
          }
        }
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
