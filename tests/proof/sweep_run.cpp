#include "tests/proof/sweep_run.h"

#include <fstream>

#include "platform/api/kernel.h"
#include "platform/formats/evt_log_file.h"
#include "platform/host/evt/event_channels.h"
#include "tests/support/open_files.h"

namespace prooftest {

namespace fs = std::filesystem;

const char* ScenarioName(Scenario scenario) {
  static const char* const kNames[] = {"ClassicWithBackups", "ChannelWithArchive", "EvtxFile", "EvtFile"};
  return kNames[static_cast<int>(scenario)];
}

SweepRun::SweepRun(Scenario scenario) {
  SetUp();
  fs::create_directories(dir_.path() + "/temp");
  const std::u16string temp = host::WindowsPathOf(dir_.path() + "/temp");
  SetEnvironmentVariableW(u"TEMP", temp.c_str());
  switch (scenario) {
    case Scenario::ClassicWithBackups: MakeClassicWithBackups(); break;
    case Scenario::ChannelWithArchive: MakeChannelWithArchive(); break;
    case Scenario::EvtxFile: MakeEvtxFile(); break;
    case Scenario::EvtFile: MakeEvtFile(); break;
  }
}

SweepRun::~SweepRun() { TearDown(); }

void SweepRun::UseMachineFolder() {
  Local().SetRoot(dir_.path() + "/machine");
  fs::create_directories(dir_.path() + "/machine/C/Windows/System32/config");
  fs::create_directories(dir_.path() + "/machine/C/Windows/System32/winevt/Logs");
  SetSystemRoot();
}

void SweepRun::Configure(const std::u16string& log, const std::u16string& file, DWORD api) {
  cmr::CTaskEventLog config = Configuration(log, 0, 0, false, static_cast<int32_t>(api));
  config.LoadFromEvtFile = file;
  WriteConfig(config);
}

// A 64 KiB log that archives itself when full, grown into two archives and
// a live log, records a minute apart.
void SweepRun::MakeClassicWithBackups() {
  UseMachineFolder();
  MakeLog(u"Custom", 0x10000, 0xFFFFFFFF, u"%SystemRoot%\\System32\\config\\Custom.evt", true);
  for (uint32_t n = 1; n <= 1300; ++n) {
    host::AdvanceClock(60000);
    if (host::AppendClassicRecord(Local(), u"Custom", collecttest::Fields(n, 0)) == 0) break;
    expected_.push_back(n);
  }
  processBackups_ = true;
  Configure(u"Custom", u"", 0);
}

// Events 1-40 in an archive, 41-60 in the live channel.
void SweepRun::MakeChannelWithArchive() {
  UseMachineFolder();
  host::ChannelConfig config;
  config.name = u"Test/Chain";
  config.logFilePath = u"%SystemRoot%\\System32\\winevt\\Logs\\Chain.evtx";
  host::AddChannel(Local(), config).nextRecordId = 1;
  for (uint32_t n = 1; n <= 60; ++n) {
    if (n == 41) {
      host::AdvanceClock(3600000);
      host::Lock lock;
      auto& service = host::EventLogOf(Local());
      service.Archive(*service.FindChannel(u"Test/Chain"));
    }
    if (host::AppendEvent(Local(), u"Test/Chain", collecttest::EventSpec(n)) != 0) expected_.push_back(n);
  }
  processBackups_ = true;
  Configure(u"Test/Chain", u"", 2);
}

// An .evtx file of three chunks.
void SweepRun::MakeEvtxFile() {
  std::vector<formats::EvtxRecord> records;
  for (uint32_t n = 1; n <= 700; ++n) {
    formats::EvtxEventSpec spec = collecttest::EventSpec(n);
    spec.recordId = n;
    records.push_back(formats::BuildEvtxRecord(spec));
    expected_.push_back(n);
  }
  const std::string path = dir_.path() + "/exported.evtx";
  std::string error;
  if (!formats::WriteEvtxFile(path, records, error)) ADD_FAILURE() << error;
  Configure(u"Application", host::WindowsPathOf(path), 0);
}

// A classic .evt file of 400 records.
void SweepRun::MakeEvtFile() {
  formats::EvtLogFile log(0x100000);
  for (uint32_t n = 1; n <= 400; ++n) {
    if (log.Append(collecttest::Fields(n, 1300000000 + n)).status != formats::EvtAppendStatus::Written) break;
    expected_.push_back(n);
  }
  const std::string path = dir_.path() + "/exported.evt";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(log.Image().data()), static_cast<std::streamsize>(log.Image().size()));
  Configure(u"System", host::WindowsPathOf(path), 0);
}

std::vector<uint32_t> SweepRun::Published() const {
  std::vector<uint32_t> ids;
  for (const std::string& name : PublishedFiles())
    for (uint32_t id : collecttest::EventIds(OutDir() + "/" + name)) ids.push_back(id);
  return ids;
}

std::vector<std::string> SweepRun::OpenFiles() const { return testsupport::OpenFilesUnder(dir_.path()); }

std::vector<std::string> SweepRun::TempLeftovers() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_.path() + "/temp")) names.push_back(e.path().filename().string());
  return names;
}

}  // namespace prooftest
