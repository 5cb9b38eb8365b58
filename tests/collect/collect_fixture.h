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
#include "platform/api/registry.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/files/paths.h"
#include "platform/host/kernel/clock.h"
#include "render/event_file_reader.h"
#include "task/task.h"
#include "tests/support/com_values.h"
#include "tests/support/fresh_host.h"
#include "tests/support/temp_dir.h"

namespace collecttest {

using namespace cmr;

namespace fs = std::filesystem;

// The folder of the message DLLs the build makes for the tests.
#ifdef EC_FIXTURE_DLL_DIR
inline const fs::path kFixtures = EC_FIXTURE_DLL_DIR;
#else
inline const fs::path kFixtures;
#endif

inline formats::EvtRecordFields Fields(uint32_t eventId, uint32_t timeWritten) {
  formats::EvtRecordFields f;
  f.source = u"TestSource";
  f.eventId = eventId;
  f.timeWritten = timeWritten;
  f.timeGenerated = timeWritten;
  f.strings = {u"text " + cmr::ToText(eventId)};
  return f;
}

// 300 letters that do not compress, drawn from `seed`.
inline std::u16string Noise(uint32_t& seed) {
  std::u16string text;
  for (int k = 0; k < 300; ++k)
    text.push_back(static_cast<char16_t>(u'A' + ((seed = seed * 1103515245 + 12345) >> 16) % 26));
  return text;
}

// An event of a channel or an .evtx file: event id n, a text naming it,
// created at second 1300000000 + n with a fraction, as Windows logs times.
inline formats::EvtxEventSpec EventSpec(uint32_t n) {
  constexpr uint64_t kFileTimeOf1970 = 116444736000000000ull;
  formats::EvtxEventSpec spec;
  spec.provider = u"TestProvider";
  spec.eventId = static_cast<uint16_t>(n);
  spec.timeCreated = kFileTimeOf1970 + (1300000000ull + n) * 10000000ull + 1234567;
  formats::EvtxUserValue text;
  text.name = u"Text";
  text.value.type = EvtVarTypeString;
  text.value.text = u"event " + cmr::ToText(n);
  spec.data = {text};
  return spec;
}

// The fields of one event file entry by tag.
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

// One entry of a description file: its source, event identifier and text.
struct ExpectedDescription {
  const char16_t* source;
  const char16_t* id;
  std::u16string text;
};

// The description file beside an event file holds exactly these entries, in
// this order.
inline void ExpectDescriptions(const std::string& eventFilePath, const std::vector<ExpectedDescription>& expected) {
  std::string descr = eventFilePath.substr(0, eventFilePath.size() - 6) + ".descr";
  auto entries = ReadEntries(descr);
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(FieldOf(entries[i], u"ST"), u"DS");
    EXPECT_EQ(FieldOf(entries[i], u"ES"), expected[i].source);
    EXPECT_EQ(FieldOf(entries[i], u"EI"), expected[i].id);
    EXPECT_EQ(FieldOf(entries[i], u"ED"), expected[i].text);
  }
}

// The event ids of an event file's entries, in order.
inline std::vector<uint32_t> EventIds(const std::string& path) {
  std::vector<uint32_t> ids;
  for (const auto& e : ReadEntries(path)) ids.push_back(cmr::ParseUInt32(FieldOf(e, u"EI")));
  return ids;
}

class CollectFixture : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::UseVirtualClock(130000000000000000ULL);
    host::SetWevtapiAvailable(true);
  }
  void TearDown() override {
    FreshHost::TearDown();
    host::UseRealClock();
  }

  void MakeLog(const std::u16string& name, DWORD maxSize = 0x80000, DWORD retention = 0, bool autoBackup = false,
               const std::u16string& file = u"") {
    host::ClassicLogConfig config;
    config.name = name;
    config.maxSize = maxSize;
    config.retention = retention;
    config.autoBackup = autoBackup;
    config.file = file;
    host::CreateClassicLog(Local(), config);
  }
  // Appends events first..first+count-1, each written a second after the last.
  void Append(const std::u16string& log, uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      ASSERT_NE(host::AppendClassicRecord(Local(), log, Fields(first + i, 1300000000 + first + i)), 0u);
    }
  }

  // The computer's system root in its registry, as Windows keeps it; a
  // remote computer's when `computer` names one.
  static void SetSystemRoot(const std::u16string& root = u"C:\\Windows", const char16_t* computer = nullptr) {
    HKEY machine = HKEY_LOCAL_MACHINE, key = nullptr;
    if (computer) {
      ASSERT_EQ(RegConnectRegistryW(computer, HKEY_LOCAL_MACHINE, &machine), 0);
    }
    ASSERT_EQ(RegCreateKeyExW(machine, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegSetValueExW(key, u"SystemRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                   static_cast<DWORD>((root.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    if (computer) RegCloseKey(machine);
  }

  // Another computer "SRV1" with its drive C: under the test's folder and
  // its system root in C:\Windows.
  host::Computer& AddRemoteComputer() {
    host::Computer& srv = host::Host::Get().Add(u"SRV1");
    srv.SetRoot(dir_.path() + "/srv1");
    fs::create_directories(dir_.path() + "/srv1/C/Windows/System32");
    SetSystemRoot(u"C:\\Windows", u"SRV1");
    return srv;
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
  HRESULT Run(bool processBackups = false, WORD deleteBackups = 0, const char16_t* product = nullptr) {
    CTask task;
    testsupport::Bstr computer(u"WORKSTATION1"), save(OutFolder()), file(cmr::Utf8ToUtf16(ConfigPath()));
    testsupport::Bstr productName(product ? product : u"");
    return task.Run(computer.b, save.b, file.b, product ? productName.b : nullptr,
                    processBackups ? VARIANT_TRUE : VARIANT_FALSE, static_cast<VARIANT_BOOL>(deleteBackups), 0x400);
  }

  // The stored position moved to the last record of the run's event file,
  // as the product does after a successful run.
  void AdvancePosition() {
    cmr::CTaskEventLog config = ReadConfig();
    if (config.EventFileName.empty()) return;
    std::vector<std::u16string> parts;
    std::u16string name = config.EventFileName.substr(0, config.EventFileName.size() - 6);
    for (size_t at = 0, next; at <= name.size(); at = next + 1) {
      next = name.find(u'_', at);
      if (next == std::u16string::npos) next = name.size();
      parts.push_back(name.substr(at, next - at));
    }
    config.LastRecordNumber = cmr::ParseUInt32(parts[parts.size() - 2], 16);
    config.LastTimeWritten = cmr::ParseUInt32(parts[parts.size() - 1], 16);
    WriteConfig(config);
  }

  std::vector<std::string> EventFiles() const {
    std::vector<std::string> files;
    if (!fs::exists(OutDir())) return files;
    for (const auto& e : fs::directory_iterator(OutDir())) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
  }

  testsupport::TempDir dir_;
};

inline std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
  std::vector<uint32_t> v;
  for (uint32_t n = first; n <= last; ++n) v.push_back(n);
  return v;
}

}  // namespace collecttest
