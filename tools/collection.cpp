#include "tools/collection.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "base/text.h"
#include "platform/host/files/paths.h"
#include "render/event_file_reader.h"

namespace tool {
namespace {

namespace fs = std::filesystem;

std::string StemFor(const CollectRequest& r) {
  std::string stem = r.file.empty() ? cmr::Utf16ToUtf8(r.log) : fs::path(r.file).filename().string();
  for (char& c : stem)
    if (c == '/' || c == '\\') c = '_';
  return stem;
}

bool IsEvtxFile(const std::string& file) {
  std::string extension = fs::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".evtx";
}

// The stored position of a configuration document kept by an earlier call.
bool StoredPosition(const std::u16string& xml, std::pair<uint32_t, uint32_t>* position) {
  const std::string text = cmr::Utf16ToUtf8(xml);
  std::smatch rn, tw;
  static const std::regex kRecord("<LastRecordNumber>(-?[0-9]+)</LastRecordNumber>");
  static const std::regex kTime("<LastTimeWritten>(-?[0-9]+)</LastTimeWritten>");
  if (!std::regex_search(text, rn, kRecord) || !std::regex_search(text, tw, kTime)) return false;
  *position = {static_cast<uint32_t>(std::stoll(rn[1])), static_cast<uint32_t>(std::stoll(tw[1]))};
  return true;
}

// First and last positions from "<...>_<rn>_<tw>_<rn>_<tw>.adevt".
bool PositionsOfName(const std::string& name, CollectOutcome* o) {
  static const std::regex kName(".*_([0-9a-f]+)_([0-9a-f]+)_([0-9a-f]+)_([0-9a-f]+)\\.adevt");
  std::smatch m;
  if (!std::regex_match(name, m, kName)) return false;
  o->firstRecord = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
  o->firstTime = static_cast<uint32_t>(std::stoul(m[2], nullptr, 16));
  o->lastRecord = static_cast<uint32_t>(std::stoul(m[3], nullptr, 16));
  o->lastTime = static_cast<uint32_t>(std::stoul(m[4], nullptr, 16));
  return true;
}

bool WriteConfig(const Component& component, const CollectRequest& r, std::optional<std::pair<uint32_t, uint32_t>> at,
                 const std::string& path, std::string* error) {
  ConfigSettings settings;
  settings.log = r.log;
  settings.savePath = host::WindowsPathOf(fs::absolute(r.outDir).lexically_normal().string());
  if (!r.file.empty()) settings.loadFromEvtFile = WidePath(r.file);
  // An .evtx file is read through the Windows Event Log interface (the
  // PreferredAPI choice 1: that interface first, the classic one second).
  if (IsEvtxFile(r.file)) settings.preferredApi = 1;
  settings.seekLastFirstRun = false;  // the first call collects what the log holds
  settings.lastPosition = at;
  std::u16string xml;
  return BuildConfig(component, settings, &xml, error) && WriteTextFile(path, xml, error);
}

size_t CountEntries(const std::string& path) {
  cmr::EventFileReader reader;
  if (!reader.Open(path)) return 0;
  cmr::EventFileEntry entry;
  while (reader.Next(&entry)) {
  }
  return reader.EntriesRead();
}

}  // namespace

bool CollectOnce(Session& session, const CollectRequest& r, CollectOutcome* o, std::string* error) {
  std::error_code ec;
  fs::create_directories(r.outDir, ec);
  o->configFile = r.outDir + "/" + StemFor(r) + ".task.xml";
  std::u16string kept;
  std::optional<std::pair<uint32_t, uint32_t>> position;
  std::pair<uint32_t, uint32_t> stored;
  if (ReadTextFile(o->configFile, &kept) && StoredPosition(kept, &stored)) position = stored;
  if (!WriteConfig(session.component(), r, position, o->configFile, error)) return false;
  RunTask(session.component(), session.machine().ComputerArgument(), WidePath(o->configFile), r.switches, error);
  TaskResults results;
  std::u16string xml;
  if (!ReadTextFile(o->configFile, &xml) || !ReadResults(session.component(), xml, &results, error)) return false;
  if (results.errorCode != 0) return *error = cmr::Utf16ToUtf8(results.errorText), false;
  o->warning = cmr::Utf16ToUtf8(results.warning);
  if (results.eventFileName.empty()) return true;
  const std::string name = cmr::Utf16ToUtf8(results.eventFileName);
  if (!PositionsOfName(name, o)) return *error = "unexpected event file name " + name, false;
  o->eventFile = r.outDir + "/" + name;
  o->records = CountEntries(o->eventFile);
  // The next call starts after the last record read.
  return WriteConfig(session.component(), r, std::make_pair(o->lastRecord, o->lastTime), o->configFile, error);
}

void PrintOutcome(const CollectOutcome& o) {
  if (o.eventFile.empty()) {
    std::printf("No new records.\n");
  } else {
    std::printf("Collected %zu record%s (positions %u:%u to %u:%u)\n  into %s\n", o.records, o.records == 1 ? "" : "s",
                o.firstRecord, o.firstTime, o.lastRecord, o.lastTime, o.eventFile.c_str());
  }
  if (!o.warning.empty()) std::printf("Warning: %s\n", o.warning.c_str());
}

}  // namespace tool
