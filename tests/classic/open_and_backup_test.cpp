// Opening classic logs locally and through the network, clearing and backing
// them up, automatic archives, and logs that are Windows Event Log channels.
#include <functional>
#include <regex>

#include "platform/formats/evt_layout.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/event_channels.h"
#include "tests/classic/classic_fixture.h"
#include "tests/support/last_error.h"

namespace classictest {
namespace {

using OpenTest = ClassicTest;

TEST_F(OpenTest, LocalRemoteUnknownLogAndFailures) {
  EXPECT_EQ(testsupport::ErrorOf(OpenEventLogW(nullptr, u"Application")),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));  // a computer without logs

  MakeLog(Local(), u"Application");
  Append(Local(), u"Application", 1, 2);
  host::Computer& server = host::Host::Get().Add(u"SERVER2");
  MakeLog(server, u"Security");
  Append(server, u"Security", 1, 5);
  {
    // A log that does not exist opens the Application log.
    LogHandle h(OpenEventLogW(nullptr, u"NoSuchLog"));
    ASSERT_TRUE(h);
    EXPECT_EQ(ReadToEnd(h.get(), EVENTLOG_FORWARDS_READ), Range(1, 2));
  }
  for (const char16_t* name : {u"\\\\SERVER2", u"server2"}) {
    LogHandle h(OpenEventLogW(name, u"Security"));
    ASSERT_TRUE(h) << GetLastError();
    DWORD count = 0;
    ASSERT_TRUE(GetNumberOfEventLogRecords(h.get(), &count));
    EXPECT_EQ(count, 5u);
  }
  struct Case {
    const char* what;
    const char16_t* server;
    DWORD error;
    std::function<void()> arm;
  } cases[] = {
      {"no such computer", u"\\\\NOSUCHHOST", RPC_S_SERVER_UNAVAILABLE, [] {}},
      {"unreachable", u"\\\\SERVER2", RPC_S_SERVER_UNAVAILABLE, [&] { server.SetReachable(false); }},
      {"access denied", u"\\\\SERVER2", ERROR_ACCESS_DENIED,
       [&] { host::SetClassicLogAccessDenied(server, u"Security", true); }},
      {"a failed call", nullptr, RPC_S_CALL_FAILED, [] { host::InjectFault("OpenEventLogW", 1, RPC_S_CALL_FAILED); }},
  };
  for (const Case& c : cases) {
    server.SetReachable(true);
    c.arm();
    EXPECT_EQ(OpenEventLogW(c.server, c.server ? u"Security" : u"Application"), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }

  HANDLE h = OpenEventLogW(nullptr, u"Application");
  EXPECT_TRUE(CloseEventLog(h));
  EXPECT_EQ(testsupport::ErrorOf(CloseEventLog(h)), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  DWORD count = 0;
  EXPECT_FALSE(GetNumberOfEventLogRecords(h, &count));
}

TEST_F(OpenTest, ClearWithBackupAndBackupFiles) {
  MakeLog(Local(), u"Application");
  Append(Local(), u"Application", 1, 5);
  const std::u16string backup = (dir_ / "app.evt").u16string();
  const std::u16string copy = (dir_ / "copy.evt").u16string();
  LogHandle h(OpenEventLogW(nullptr, u"Application"));
  ASSERT_TRUE(BackupEventLogW(h.get(), copy.c_str()));
  EXPECT_EQ(testsupport::ErrorOf(BackupEventLogW(h.get(), copy.c_str())), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(ClearEventLogW(h.get(), backup.c_str()));
  EXPECT_EQ(testsupport::ErrorOf(ClearEventLogW(h.get(), backup.c_str())),
            static_cast<DWORD>(ERROR_ALREADY_EXISTS));  // the backup file exists: nothing cleared

  DWORD count = 1;
  ASSERT_TRUE(GetNumberOfEventLogRecords(h.get(), &count));
  EXPECT_EQ(count, 0u);
  for (const auto& file : {backup, copy}) {
    LogHandle b(OpenBackupEventLogW(nullptr, file.c_str()));
    ASSERT_TRUE(b);
    EXPECT_EQ(ReadToEnd(b.get(), EVENTLOG_FORWARDS_READ), Range(1, 5));
    EXPECT_FALSE(ClearEventLogW(b.get(), nullptr));  // a backup file is read-only
  }
  SetLastError(0);
  EXPECT_EQ(testsupport::ErrorOf(OpenBackupEventLogW(nullptr, (dir_ / "missing.evt").u16string().c_str())),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(OpenTest, FullLogWithAutoBackupIsArchivedBesideItsFile) {
  Local().SetRoot(dir_.string());
  std::filesystem::create_directories(dir_ / "C/Windows/System32/config");
  MakeLog(Local(), u"Custom", 0x10000, formats::kEvtRetainForever, u"%SystemRoot%\\System32\\config\\Custom.evt", true);
  uint32_t last = 0;
  for (uint32_t i = 1; i <= 800; ++i) {
    host::AdvanceClock(1);  // archives of one millisecond would share their name
    last = host::AppendClassicRecord(Local(), u"Custom", Fields(i, 30));
    ASSERT_NE(last, 0u);
  }

  std::vector<std::string> archives;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "C/Windows/System32/config"))
    if (entry.path().filename().string().starts_with("Archive-")) archives.push_back(entry.path().string());
  ASSERT_FALSE(archives.empty());
  size_t archived = 0;
  for (const auto& archive : archives) {
    EXPECT_TRUE(std::regex_search(archive, std::regex(R"(/Archive-Custom-\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d-\d{3}\.evt$)")))
        << archive;
    LogHandle a(OpenBackupEventLogW(nullptr, std::u16string(archive.begin(), archive.end()).c_str()));
    ASSERT_TRUE(a);
    std::vector<uint32_t> numbers = ReadToEnd(a.get(), EVENTLOG_FORWARDS_READ);
    EXPECT_EQ(numbers, Range(1, static_cast<uint32_t>(numbers.size())));  // each archive holds a whole log
    archived += numbers.size();
  }
  EXPECT_EQ(archived + last, 800u);  // no record lost
}

TEST_F(OpenTest, ChannelLogsAndEvtxFilesReadAsClassicRecords) {
  host::ChannelConfig channel;
  channel.name = u"Setup";
  host::AddChannel(Local(), channel).nextRecordId = 41;
  formats::EvtxEventSpec spec;
  spec.provider = u"Installer";
  spec.eventId = 7;
  spec.timeCreated = 130000000000000000ULL;
  spec.data.push_back({u"", formats::EvtxValue::String(u"done")});
  for (int i = 0; i < 3; ++i) ASSERT_NE(host::AppendEvent(Local(), u"Setup", spec), 0u);
  MakeLog(Local(), u"Setup");  // a classic log without a file of its own: the channel
  EXPECT_EQ(host::AppendClassicRecord(Local(), u"Setup", Fields(8)), 44u);

  LogHandle h(OpenEventLogW(nullptr, u"Setup"));
  ASSERT_TRUE(h);
  std::vector<uint8_t> buffer(0x10000);
  DWORD read = 0, needed = 0;
  ASSERT_TRUE(ReadEventLogW(h.get(), EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, 43, buffer.data(),
                            static_cast<DWORD>(buffer.size()), &read, &needed));
  const DWORD length = reinterpret_cast<EVENTLOGRECORD*>(buffer.data())->Length;
  formats::EvtRecordView first(std::span<const uint8_t>(buffer.data(), length));
  EXPECT_EQ(first.RecordNumber(), 43u);
  EXPECT_EQ(first.Source(), u"Installer");
  EXPECT_EQ(first.Strings(), std::vector<std::u16string>{u"done"});
  formats::EvtRecordView second(std::span<const uint8_t>(buffer.data() + length, read - length));
  EXPECT_EQ(second.RecordNumber(), 44u);  // the record appended through the classic side
  EXPECT_EQ(second.Header().EventID, 8u);

  const std::u16string copy = (dir_ / "setup.evtx").u16string();
  ASSERT_TRUE(BackupEventLogW(h.get(), copy.c_str()));
  LogHandle b(OpenBackupEventLogW(nullptr, copy.c_str()));
  ASSERT_TRUE(b);
  EXPECT_EQ(ReadToEnd(b.get(), EVENTLOG_FORWARDS_READ), Range(41, 44));

  const std::string sample = EC_TESTDATA_DIR "/logs/system.evtx";
  auto parsed = formats::ReadEvtxFile(sample);
  if (!parsed.valid) GTEST_SKIP() << "no " << sample;
  LogHandle s(OpenBackupEventLogW(nullptr, std::u16string(sample.begin(), sample.end()).c_str()));
  ASSERT_TRUE(s);
  EXPECT_EQ(ReadToEnd(s.get(), EVENTLOG_FORWARDS_READ).size(), parsed.records.size());
}

}  // namespace
}  // namespace classictest
