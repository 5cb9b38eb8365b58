// A work file that cannot be finished (the disk is full when the compressed
// stream is flushed at its close): the run fails, no event file is left,
// and the next run collects the same records again.
#include "tests/support/full_disk.h"
#include "tests/collect/collect_fixture.h"
#include "tests/support/child_process.h"

namespace collecttest {
namespace {

class FullDiskRun : public CollectFixture {
 public:
  void TestBody() override {}

  int Go() {
    SetUp();
    MakeLog(u"Custom");
    // Records whose texts do not compress, some 6 KB together: they stay in
    // the compressor's buffer until the work file is closed.
    uint32_t seed = 7;
    for (uint32_t i = 1; i <= 20; ++i) {
      formats::EvtRecordFields f = Fields(i, 1300000000 + i);
      f.strings = {testsupport::Noise(seed)};
      if (host::AppendClassicRecord(Local(), u"Custom", f) == 0) return 10;
    }
    Configure(u"Custom");

    testsupport::LimitFileSize(3000);
    if (Run() != E_FAIL) return 11;
    testsupport::LimitFileSize(RLIM_INFINITY);
    cmr::CTaskEventLog failed = ReadConfig();
    if (failed.ErrorStatus != static_cast<int32_t>(E_FAIL)) return 12;
    if (failed.ErrorText.find(u"File too large") == std::u16string::npos) return 13;
    if (!failed.EventFileName.empty() || !EventFiles().empty()) return 14;

    if (Run() != S_OK) return 15;
    if (Collected() != Range(1, 20)) return 16;
    TearDown();
    return 0;
  }
};

EC_CHILD_ROLE(CollectOntoAFullDisk) {
  (void)args;
  FullDiskRun run;
  return run.Go();
}

TEST(FullDisk, AFailedCloseFailsTheRunAndTheNextRunCollectsTheSameRecords) {
  EXPECT_EQ(testsupport::RunChild("CollectOntoAFullDisk"), 0);
}

}  // namespace
}  // namespace collecttest
