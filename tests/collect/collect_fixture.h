// Shared set-up of the collection tests: a fresh host with a virtual clock,
// classic logs on the local computer, task runs into a folder of the test,
// and the record numbers read back from the event files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/files/paths.h"
#include "render/event_file_reader.h"
#include "task/task.h"
#include "tests/support/classic_host.h"
#include "tests/support/com_values.h"
#include "tests/support/registry_values.h"
#include "tests/support/temp_dir.h"

namespace collecttest {

using namespace cmr;

namespace fs = std::filesystem;

using testsupport::Range;

// The folder of the message DLLs the build makes for the tests.
#ifdef EC_FIXTURE_DLL_DIR
inline const fs::path kFixtures = EC_FIXTURE_DLL_DIR;
#else
inline const fs::path kFixtures;
#endif
inline constexpr char16_t kArchivesNotListed[] = u"The archived backups of the log could not be listed (";
inline constexpr char16_t kArchiveNotRead[] = u"An archived backup of the log could not be read (";
inline constexpr char kNoMessageDlls[] = "message DLL fixtures were not built (no MinGW binutils)";

inline formats::EvtRecordFields Fields(uint32_t eventId, uint32_t timeWritten) {
  formats::EvtRecordFields f;
  f.source = u"TestSource";
  f.eventId = eventId;
  f.timeWritten = timeWritten;
  f.timeGenerated = timeWritten;
  f.strings = {u"text " + cmr::ToText(eventId)};
  return f;
}

// An event of a channel or an .evtx file: event id n, a text naming it,
// created at second 1300000000 + n with a fraction, as Windows logs times.
inline formats::EvtxEventSpec EventSpec(uint32_t n) {
  constexpr uint64_t kFileTimeOf1970 = 116444736000000000ull;
  formats::EvtxEventSpec spec;
  spec.provider = u"TestProvider";
  spec.eventId = static_cast<uint16_t>(n);
  spec.timeCreated = kFileTimeOf1970 + (1300000000ull + n) * 10000000ull + 1234567;
  spec.data.resize(1);
  spec.data[0].name = u"Text";
  spec.data[0].value.type = EvtVarTypeString;
  spec.data[0].value.text = u"event " + cmr::ToText(n);
  return spec;
}

// The value of an event file entry's field by tag.
inline std::u16string FieldOf(const EventFileEntry& entry, std::u16string_view tag) {
  for (const auto& f : entry)
    if (f.tag == tag) return f.value;
  return {};
}

inline std::vector<EventFileEntry> ReadEntries(const std::string& path) {
  EventFileReader reader;
  std::vector<EventFileEntry> entries;
  if (!reader.Open(path)) {
    ADD_FAILURE() << "cannot open " << path;
    return entries;
  }
  for (EventFileEntry e; reader.Next(&e);) entries.push_back(e);
  EXPECT_EQ(reader.Problem(), "");
  return entries;
}

// The entries of the description file beside an event file, each as
// "source|event id|text" after its type DS, in order.
inline std::vector<std::u16string> Descriptions(const std::string& eventFilePath) {
  std::vector<std::u16string> texts;
  for (const auto& e : ReadEntries(eventFilePath.substr(0, eventFilePath.size() - 6) + ".descr")) {
    EXPECT_EQ(FieldOf(e, u"ST"), u"DS");
    texts.push_back(FieldOf(e, u"ES") + u"|" + FieldOf(e, u"EI") + u"|" + FieldOf(e, u"ED"));
  }
  return texts;
}

// How often `what` occurs in the text.
inline size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The event ids of an event file's entries, in order.
inline std::vector<uint32_t> EventIds(const std::string& path) {
  std::vector<uint32_t> ids;
  for (const auto& e : ReadEntries(path)) ids.push_back(cmr::ParseUInt32(FieldOf(e, u"EI")));
  return ids;
}

class CollectFixture : public testsupport::ClassicHost {
 protected:
  void SetUp() override {
    ClassicHost::SetUp();
    host::SetWevtapiAvailable(true);
  }

  // Appends events first..first+count-1, each written a second after the last.
  void Append(const std::u16string& log, uint32_t first, uint32_t count) {
    for (uint32_t i = first; i < first + count; ++i)
      ASSERT_NE(host::AppendClassicRecord(Local(), log, Fields(i, 1300000000 + i)), 0u);
  }
  // Appends records first..first+count-1 to the log a minute apart on the virtual clock.
  static void Grow(host::Computer& computer, const std::u16string& log, uint32_t first, uint32_t count) {
    for (uint32_t i = first; i < first + count; ++i) {
      host::AdvanceClock(60000);
      ASSERT_NE(host::AppendClassicRecord(computer, log, Fields(i, 0)), 0u);
    }
  }

  // A channel of the local computer whose first event gets record id `firstId`.
  void MakeChannel(const std::u16string& name, uint64_t firstId = 1, const std::u16string& logFile = u"") {
    host::ChannelConfig config;
    config.name = name;
    config.logFilePath = logFile;
    host::AddChannel(Local(), config).nextRecordId = firstId;
  }
  // Appends events first..first+count-1 to the channel, event n with event id n.
  void AppendEvents(const std::u16string& channel, uint32_t first, uint32_t count, host::Computer* computer = nullptr) {
    for (uint32_t n = first; n < first + count; ++n)
      ASSERT_NE(host::AppendEvent(computer ? *computer : Local(), channel, EventSpec(n)), 0u);
  }
  // Archives the channel of the computer an hour later on the virtual clock.
  static void ArchiveChannel(host::Computer& computer, const std::u16string& channel) {
    host::AdvanceClock(3600000);
    host::Lock lock;
    auto& service = host::EventLogOf(computer);
    ASSERT_EQ(service.Archive(*service.FindChannel(channel)), 0u);
  }

  // The system root in the registry of the local computer, or of `computer`.
  static void SetSystemRoot(const std::u16string& root = u"C:\\Windows", const char16_t* computer = nullptr) {
    ASSERT_TRUE(testsupport::SetRegistryString(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", u"SystemRoot", root,
                                               REG_SZ, computer));
  }

  // Another computer "SRV1", its drive C: under the test's folder, its system root C:\Windows.
  host::Computer& AddRemoteComputer() {
    host::Computer& srv = host::Host::Get().Add(u"SRV1");
    srv.SetRoot(dir_.path() + "/srv1");
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32");
    SetSystemRoot(u"C:\\Windows", u"SRV1");
    return srv;
  }

  // The message DLLs built for the tests, copied into the local computer's
  // System32 under the test's folder, with "notpe.dll" (no image at all)
  // and "cut.dll" (the first DLL cut to the fraction `keep` of its size);
  // false when the build made no such DLLs.
  bool InstallMessageDlls(const std::vector<std::string>& dlls, double keep) {
    if (kFixtures.empty() || !fs::exists(kFixtures / dlls.front())) return false;
    fs::path system32 = fs::path(dir_.path()) / "C/Windows/System32";
    fs::create_directories(system32);
    for (const auto& dll : dlls) fs::copy_file(kFixtures / dll, system32 / dll);
    std::ofstream(system32 / "notpe.dll") << "This is not a PE image.";
    std::ifstream whole(kFixtures / dlls.front(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(system32 / "cut.dll", std::ios::binary) << bytes.substr(0, static_cast<size_t>(bytes.size() * keep));
    Local().SetRoot(dir_.path());
    return true;
  }

  // A configuration of the log read from the beginning (or from the stored
  // position), through `api` alone when one is named (1 classic, 2 channel).
  static cmr::CTaskEventLog Configuration(const std::u16string& log, uint32_t lastRecord = 0, uint32_t lastTime = 0,
                                          bool seekLast = false, int32_t api = 0) {
    cmr::CTaskEventLog config;
    config.LogName = log;
    config.LastRecordNumber = lastRecord;
    config.LastTimeWritten = lastTime;
    config.SeekLastFirstRun = seekLast;
    if (api != 0) {
      config.PreferredAPI = api;
      config.FallbackAPI = 0;
    }
    return config;
  }
  void Configure(const std::u16string& log, uint32_t lastRecord = 0, uint32_t lastTime = 0, bool seekLast = false,
                 int32_t api = 0) {
    WriteConfig(Configuration(log, lastRecord, lastTime, seekLast, api));
  }
  // Collects the log with the events' descriptions, in English: the event file's entries.
  std::vector<EventFileEntry> CollectWithDescriptions(const std::u16string& log, int32_t api) {
    cmr::CTaskEventLog config = Configuration(log, 0, 0, false, api);
    config.CollectEventResources = true;
    config.UserLanguage = 0x0409;
    WriteConfig(config);
    EXPECT_EQ(Run(), S_OK) << cmr::Utf16ToUtf8(ReadConfig().ErrorText);
    return ReadEntries(EventFilePath());
  }

  // Runs over the log's archives, each with one call failing once: every run succeeds with
  // part of the log's `total` events and names what failed in its warning.
  void ExpectArchiveFaultsNamed(const std::u16string& log, int32_t api, size_t total,
                                const std::vector<std::pair<const char*, const char16_t*>>& faults) {
    for (const auto& [call, warning] : faults) {
      SCOPED_TRACE(call);
      fs::remove_all(OutDir());
      Configure(log, 0, 0, false, api);
      host::InjectFault(call, 1, ERROR_ACCESS_DENIED);
      ASSERT_EQ(Run(true), S_OK);
      host::ClearFaults();
      const std::vector<uint32_t> ids = Collected();
      EXPECT_FALSE(ids.empty());
      EXPECT_LT(ids.size(), total);
      EXPECT_NE(ReadConfig().Warning.find(warning), std::u16string::npos) << cmr::Utf16ToUtf8(ReadConfig().Warning);
    }
  }

  std::string ConfigPath() const { return dir_.path() + "/task.xml"; }
  std::string OutDir() const { return dir_.path() + "/out"; }
  std::u16string OutFolder() const { return host::WindowsPathOf(OutDir()); }
  void WriteConfig(const cmr::CTaskEventLog& config) { config.SaveToFile(cmr::Utf8ToUtf16(ConfigPath())); }
  cmr::CTaskEventLog ReadConfig() const {
    cmr::CTaskEventLog config;
    config.LoadFromFile(cmr::Utf8ToUtf16(ConfigPath()));
    return config;
  }

  // ITask::Run of the configuration file on the local computer.
  HRESULT Run(bool processBackups = false, WORD deleteBackups = 0) {
    return RunOn(u"WORKSTATION1", processBackups, deleteBackups);
  }
  // ITask::Run on `computer` (NULL: the local computer as the caller names it).
  HRESULT RunOn(const char16_t* computer, bool processBackups = true, WORD deleteBackups = 0) {
    CTask task;
    testsupport::Bstr name(computer ? computer : u""), save(OutFolder()), file(cmr::Utf8ToUtf16(ConfigPath()));
    return task.Run(computer ? name.b : nullptr, save.b, file.b, nullptr, processBackups ? VARIANT_TRUE : VARIANT_FALSE,
                    static_cast<VARIANT_BOOL>(deleteBackups), 0x400);
  }

  // The path of the event file the last run named ("" when it named none).
  std::string EventFilePath() const {
    const std::u16string name = ReadConfig().EventFileName;
    return name.empty() ? std::string() : OutDir() + "/" + cmr::Utf16ToUtf8(name);
  }
  // The event ids of the last run's event file, in order, after a run that succeeded.
  std::vector<uint32_t> Collected() const {
    EXPECT_EQ(ReadConfig().ErrorStatus, 0) << cmr::Utf16ToUtf8(ReadConfig().ErrorText);
    const std::string path = EventFilePath();
    return path.empty() ? std::vector<uint32_t>() : EventIds(path);
  }

  // The stored position moved to the run's last record, as the product does after a success.
  void AdvancePosition() {
    cmr::CTaskEventLog config = ReadConfig();
    if (config.EventFileName.empty()) return;
    const std::u16string name = config.EventFileName.substr(0, config.EventFileName.size() - 6);
    const size_t time = name.rfind(u'_'), record = name.rfind(u'_', time - 1);
    config.LastRecordNumber = cmr::ParseUInt32(name.substr(record + 1, time - record - 1), 16);
    config.LastTimeWritten = cmr::ParseUInt32(name.substr(time + 1), 16);
    WriteConfig(config);
  }

  // The names of the files in the folder (the save folder when none is named), sorted.
  std::vector<std::string> EventFiles(const std::string& folder = {}) const {
    const std::string where = folder.empty() ? OutDir() : folder;
    std::vector<std::string> files;
    if (!fs::exists(where)) return files;
    for (const auto& e : fs::directory_iterator(where)) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
  }
  // The event files runs published there: no work files of a run.
  std::vector<std::string> PublishedFiles(const std::string& folder = {}) const {
    std::vector<std::string> names;
    for (const std::string& name : EventFiles(folder))
      if (name.ends_with(".adevt") && !name.ends_with("_last.adevt")) names.push_back(name);
    return names;
  }
  // How many archives of logs the folder holds.
  static size_t Archives(const std::string& folder, const std::string& prefix = "Archive-") {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += e.path().filename().string().starts_with(prefix);
    return n;
  }

  testsupport::TempDir dir_;
};

}  // namespace collecttest
