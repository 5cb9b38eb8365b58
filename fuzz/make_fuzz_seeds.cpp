// Writes seeds for the fuzz targets with the project's own writers: a task
// configuration, a filter document, an event file, one .evtx chunk and an
// event manifest resource.
//   make_fuzz_seeds FOLDER   (makes FOLDER/config_xml, FOLDER/filter_xml, ...)
#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/text.h"
#include "filter/event_filter.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "platform/formats/wevt_template.h"
#include "render/event_file_writer.h"
#include "task/task_event_log.h"

namespace fs = std::filesystem;

namespace {

void Save(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ConfigSeed() {
  cmr::CTaskEventLog config;
  config.LogName = u"Security";
  config.LoadFromEvtFile = u"D:\\logs\\old.evtx";
  config.LastRecordNumber = 16;
  config.LastTimeWritten = 1593835520;
  config.Filter = u"<Filter/>";
  config.Warning = u"some warning";
  config.EventFileName = u"sec_10_5f000000_20_5f000100.adevt";
  return cmr::Utf16ToUtf8(config.SaveToString());
}

std::string FilterSeed() {
  cmr::CEventFilter filter;
  auto including = filter.AddIncludingFilter(1);
  including->Name = u"logons";
  including->Source = u"Security*";
  including->User = u"CORP\\*";
  including->TimeFrom = 1593835520;
  including->InsertionStrings[2] = u"alice";
  auto excluding = filter.AddExcludingFilter(2);
  excluding->EventType = 4;
  excluding->Keywords = 0x8020000000000000ULL;
  filter.AddLog()->Name = u"Security";
  return cmr::Utf16ToUtf8(filter.ToString());
}

bool WriteEventFile(const fs::path& path) {
  fs::create_directories(path.parent_path());
  cmr::EventFileWriter writer;
  if (!writer.Open(path.u16string())) return false;
  for (uint32_t n = 1; n <= 3; ++n) {
    writer.WriteHex32Field(u"RN", n);
    writer.WriteUnsignedField(u"EI", 4624 + n);
    writer.WriteTextField(u"SN", u"Security^Auditing");
    writer.WriteInsertionString(1, u"S-1-5-18\r\nline");
    writer.EndEntry();
  }
  writer.Close();
  return true;
}

std::string ChunkSeed() {
  std::vector<formats::EvtxRecord> records;
  for (uint16_t n = 1; n <= 5; ++n) {
    formats::EvtxEventSpec spec;
    spec.provider = u"Microsoft-Windows-Security-Auditing";
    spec.eventId = static_cast<uint16_t>(4623 + n);
    spec.recordId = n;
    spec.timeCreated = 133000000000000000ULL + n;
    spec.computer = u"WORKSTATION1";
    formats::EvtxUserValue value;
    value.name = u"TargetUserName";
    value.value.type = EvtVarTypeString;
    value.value.text = u"alice";
    spec.data = {value};
    records.push_back(formats::BuildEvtxRecord(spec));
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!formats::WriteEvtx(records, bytes, error) || bytes.size() < 4096 + formats::kEvtxChunkSize) return {};
  return std::string(bytes.begin() + 4096, bytes.begin() + 4096 + formats::kEvtxChunkSize);
}

// Two providers: one with channels and events, one empty.
std::string ManifestSeed() {
  formats::WevtProvider provider;
  provider.guid = {0x7d3c1b2a, 0x4e5f, 0x4a6b, {0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};
  provider.messageId = 0x90000001u;
  provider.channels = {{16, u"Fuzz/Operational", 0x10}, {17, u"Fuzz/Admin", formats::kWevtNoMessage}};
  provider.events = {{100, 0, 16, 4, 1, 100, 0x8000000000000000ull, 0x11}, {101, 2, 17, 2, 0, 7, 0, 0x12}};
  const std::vector<uint8_t> bytes = formats::WriteWevtTemplate({provider, formats::WevtProvider{}});
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_fuzz_seeds FOLDER\n";
    return 2;
  }
  const fs::path top = argv[1];
  try {
    Save(top / "config_xml" / "task.xml", ConfigSeed());
    Save(top / "filter_xml" / "filter.xml", FilterSeed());
    Save(top / "evtx_chunk" / "chunk", ChunkSeed());
    Save(top / "wevt_template" / "manifest", ManifestSeed());
    if (!WriteEventFile(top / "event_file" / "sample.adevt")) {
      std::cerr << "make_fuzz_seeds: cannot write the event file seed\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "make_fuzz_seeds: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
