// Opening an event file that the classic interface refuses: the file is
// copied to TEMP under a drawn name, converted through EvtExportLog, and the
// converted copy is read; every failure on the way leaves no file behind.
#include <algorithm>
#include <functional>

#include "platform/api/crt_random.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/wevtapi.h"
#include "tests/classic/classic_fixture.h"

namespace classictest {
namespace {

constexpr unsigned kSeed = 4242;

class ConvertTest : public ClassicTest {
 protected:
  void SetUp() override {
    ClassicTest::SetUp();
    std::filesystem::create_directory(dir_ / "temp");
    const std::u16string temp = (dir_ / "temp").u16string();
    ASSERT_TRUE(SetEnvironmentVariableW(u"TEMP", temp.c_str()));
    std::vector<formats::EvtxRecord> records;
    for (uint64_t id = 1; id <= 3; ++id) {
      formats::EvtxEventSpec spec;
      spec.provider = u"Installer";
      spec.eventId = static_cast<uint16_t>(100 + id);
      spec.timeCreated = 130000000000000000ULL + id;
      spec.recordId = id;
      records.push_back(formats::BuildEvtxRecord(spec));
    }
    std::string error;
    ASSERT_TRUE(formats::WriteEvtxFile((dir_ / "in.evtx").string(), records, error)) << error;
  }

  // The two names a conversion draws after crt::srand(kSeed): copy, converted.
  static std::pair<std::string, std::string> DrawnNames() {
    crt::srand(kSeed);
    auto next = [] {
      const int high = crt::rand();
      return "ec" + std::to_string(high * 32768 + crt::rand()) + ".tmp";
    };
    std::string copy = next();
    return {copy, next()};
  }

  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "temp"))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Opens in.evtx with the classic open of the file itself refused.
  bool OpenRefusedFile(cmr::NTEventLog& reader) {
    host::InjectFault("OpenBackupEventLogW", 1, ERROR_EVENTLOG_FILE_CORRUPT);
    crt::srand(kSeed);
    return reader.OpenBackupFile(nullptr, (dir_ / "in.evtx").u16string(), true);
  }

  static void ExpectRedirectionRestored() {
    EXPECT_EQ(host::CallCount("Wow64RevertWow64FsRedirection"), host::CallCount("Wow64DisableWow64FsRedirection"));
  }
};

TEST_F(ConvertTest, RefusedFileIsConvertedInTempAndReadUntilClosed) {
  const auto [copy, converted] = DrawnNames();
  ASSERT_NE(copy, converted);
  cmr::NTEventLog reader(0x10000, 0);
  ASSERT_TRUE(OpenRefusedFile(reader));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(host::CallCount("CopyFileW"), 1u);
  EXPECT_EQ(host::CallCount("EvtExportLog"), 1u);
  ExpectRedirectionRestored();
  EXPECT_EQ(TempFiles(), std::vector<std::string>{converted});  // the plain copy is gone
  EXPECT_EQ(reader.CurrentBackupPath(),
            (dir_ / "temp").u16string() + u"\\" + std::u16string(converted.begin(), converted.end()));
  EXPECT_EQ(Drain(reader), Range(1, 3));
  reader.Close();
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(ConvertTest, AFailedStepEndsTheConversionAndLeavesNoFile) {
  const auto [copy, converted] = DrawnNames();
  struct Case {
    const char* name;
    std::function<void()> arm;
    std::vector<std::string> left;
  };
  const std::filesystem::path temp = dir_ / "temp";
  const Case cases[] = {
      {"copy fails", [] { host::InjectFault("CopyFileW", 1, ERROR_ACCESS_DENIED); }, {}},
      {"export fails", [] { host::InjectFault("EvtExportLog", 1, ERROR_EVT_INVALID_QUERY); }, {}},
      {"converted copy refused", [] { host::InjectFault("OpenBackupEventLogW", 2, ERROR_EVENTLOG_FILE_CORRUPT); }, {}},
      {"no Wevtapi", [] { host::SetWevtapiAvailable(false); }, {}},
      {"no TEMP", [] { SetEnvironmentVariableW(u"TEMP", nullptr); }, {}},
      {"old copy cannot go", [&] { std::filesystem::create_directory(temp / copy); }, {copy}},
      // The plain copy is made by then and goes too.
      {"old converted file cannot go", [&] { std::filesystem::create_directory(temp / converted); }, {converted}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::ClearFaults();
    c.arm();
    {
      cmr::NTEventLog reader(0x10000, 0);
      EXPECT_FALSE(OpenRefusedFile(reader));
      EXPECT_EQ(GetLastError(), 0u);
      ExpectRedirectionRestored();
    }
    EXPECT_EQ(TempFiles(), c.left);
    host::SetWevtapiAvailable(true);
    SetEnvironmentVariableW(u"TEMP", temp.u16string().c_str());
    std::filesystem::remove_all(temp);
    std::filesystem::create_directory(temp);
  }
}

}  // namespace
}  // namespace classictest
