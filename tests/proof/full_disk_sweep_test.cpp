// The save folder's disk fills up: each write and each close of the event
// file fails in turn, with ENOSPC or EFBIG (a file size limit) by turns. Every such run fails and says why, publishes
// no event file and leaves the stored position where it was, and the next
// run collects the same records. The entries fill several blocks of the
// writer, so that most writes come from its compressor thread.
#include <cerrno>

#include "render/event_file_writer.h"
#include "tests/collect/collect_fixture.h"
#include "tests/proof/file_faults.h"
#include "tests/support/full_disk.h"
#include "tests/support/open_files.h"

namespace prooftest {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kRecords = 500;

class FullDiskSweep : public collecttest::CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    MakeLog(u"Custom", 0x100000);
    uint32_t seed = 11;
    for (uint32_t n = 1; n <= kRecords; ++n) {
      formats::EvtRecordFields fields = collecttest::Fields(n, 1300000000 + n);
      fields.strings = {testsupport::Noise(seed), testsupport::Noise(seed)};
      ASSERT_NE(host::AppendClassicRecord(Local(), u"Custom", fields), 0u);
    }
    config_ = Configuration(u"Custom");
  }
  void TearDown() override {
    StopFileFaults();
    CollectFixture::TearDown();
  }
  // A run from the start, the save folder emptied.
  HRESULT RunFromStart() {
    fs::remove_all(OutDir());
    WriteConfig(config_);
    return Run();
  }
  cmr::CTaskEventLog config_;
};

TEST_F(FullDiskSweep, EveryFailedWriteOrCloseFailsTheRunAndTheNextRunCollectsTheSameRecords) {
  FailFileOperation(OutDir(), 0, ENOSPC);
  ASSERT_EQ(RunFromStart(), S_OK);
  const unsigned operations = FileOperationCount();
  StopFileFaults();
  ASSERT_EQ(PublishedFiles().size(), 1u);
  ASSERT_EQ(collecttest::EventIds(OutDir() + "/" + PublishedFiles()[0]), collecttest::Range(1, kRecords));
  ASSERT_GE(operations, 4u) << "the event file should take several writes";
  ASSERT_GT(fs::file_size(OutDir() + "/" + PublishedFiles()[0]), cmr::EventFileWriter::kBlockBytes)
      << "the entries should fill more than a block";

  for (unsigned n = 1; n <= operations; ++n) {
    const int error = n % 2 ? ENOSPC : EFBIG;
    FailFileOperation(OutDir(), n, error);
    const HRESULT hr = RunFromStart();
    StopFileFaults();
    const std::string where = "operation " + std::to_string(n) + " (" + FailedFileOperation() + ")";
    ASSERT_NE(FailedFileOperation(), "") << where;
    EXPECT_EQ(hr, E_FAIL) << where;
    const cmr::CTaskEventLog failed = ReadConfig();
    EXPECT_EQ(failed.ErrorStatus, static_cast<int32_t>(E_FAIL)) << where;
    EXPECT_NE(failed.ErrorText.find(error == ENOSPC ? u"No space left on device" : u"File too large"),
              std::u16string::npos)
        << where << ": " << cmr::Utf16ToUtf8(failed.ErrorText);
    EXPECT_EQ(failed.EventFileName, u"") << where;
    EXPECT_EQ(failed.LastRecordNumber, 0u) << where;
    EXPECT_EQ(PublishedFiles(), std::vector<std::string>{}) << where;
    EXPECT_EQ(testsupport::OpenFilesUnder(OutDir()), std::vector<std::string>{}) << where;

    // Space is freed: the next run, from the same stored position, collects
    // the same records (reusing the work file left behind).
    ASSERT_EQ(Run(), S_OK) << where;
    ASSERT_EQ(PublishedFiles().size(), 1u) << where;
    EXPECT_EQ(Collected(), collecttest::Range(1, kRecords)) << where;
  }
}

}  // namespace
}  // namespace prooftest
