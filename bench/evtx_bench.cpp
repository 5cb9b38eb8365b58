// Reading and rendering real .evtx files through the host's Evt* functions
// (EvtQuery on the file, EvtNext in batches of 100, EvtRender of the system
// and the user values of every event), against the independent reader
// evtxexport (libevtx-utils) exporting the same files as text (each event's
// system fields and its data strings), in the same run.
//
// Both sides are timed in CPU seconds (user + system), which a busy shared
// machine disturbs far less than wall time: this process's own CPU time for
// a pass over every file, and the CPU time of each evtxexport process (one
// per file) from wait4. The two take turns, round after round, so that both
// meet the same load; each side keeps its best round. An evtxexport process
// spends part of its time starting (loading its libraries): that start-up,
// measured in each round on a log without records, is taken off every run,
// so only its reading and rendering count. Each side's rate is the records
// it exports per CPU second (evtxexport exports fewer of the damaged
// samples' records: it does not recover those after damage); the ratio is
// ours over theirs.
//
//   evtx_bench [folder of .evtx files]   (default: the shared sample logs)
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/spawned_process.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/files/paths.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 5;

// Reads and renders every event of a file; returns the number of events.
size_t RenderFile(const std::u16string& path, EVT_HANDLE system, EVT_HANDLE user, std::vector<ULONGLONG>& buffer) {
  EVT_HANDLE query = EvtQuery(nullptr, path.c_str(), nullptr, EvtQueryFilePath | EvtQueryForwardDirection);
  if (!query) return 0;
  EVT_HANDLE events[100];
  DWORD returned = 0;
  size_t count = 0;
  while (EvtNext(query, 100, events, INFINITE, 0, &returned)) {
    for (DWORD i = 0; i < returned; ++i) {
      for (EVT_HANDLE context : {system, user}) {
        DWORD used = 0, properties = 0;
        if (!EvtRender(context, events[i], EvtRenderEventValues, static_cast<DWORD>(buffer.size() * 8), buffer.data(),
                       &used, &properties)) {
          buffer.resize(used / 8 + 1);
          EvtRender(context, events[i], EvtRenderEventValues, used, buffer.data(), &used, &properties);
        }
        benchmark::DoNotOptimize(buffer.data());
      }
      EvtClose(events[i]);
      ++count;
    }
  }
  EvtClose(query);
  return count;
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs `evtxexport file` with its output into `output`; the CPU seconds of
// the process, or a negative number when it could not run.
double RunEvtxexport(const fs::path& file, const char* output) {
  const benchsupport::ProcessCost cost = benchsupport::RunProcess({"evtxexport", file.string()}, output);
  return cost.ran ? cost.cpuSeconds : -1;
}

// The events evtxexport exports from a file: its "Event number" lines.
size_t EvtxexportRecords(const fs::path& file, const fs::path& scratch) {
  fs::path text = scratch / "export.txt";
  if (RunEvtxexport(file, text.c_str()) < 0) return 0;
  std::ifstream in(text);
  size_t count = 0;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("Event number", 0) == 0) ++count;
  return count;
}

struct Side {
  size_t records = 0;
  double seconds = 1e100;  // the best round
  double rate() const { return static_cast<double>(records) / seconds; }
};

// One pass of ours over every file: records into `side`, the CPU seconds.
double OurPass(const std::vector<std::u16string>& paths, std::vector<ULONGLONG>& buffer, Side& side) {
  EVT_HANDLE system = EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem);
  EVT_HANDLE user = EvtCreateRenderContext(0, nullptr, EvtRenderContextUser);
  double start = ProcessCpuSeconds();
  side.records = 0;
  for (const auto& p : paths) side.records += RenderFile(p, system, user, buffer);
  double seconds = ProcessCpuSeconds() - start;
  EvtClose(system);
  EvtClose(user);
  return seconds;
}

// One evtxexport run per file, start-up taken off each; negative when the
// tool cannot run.
double TheirPass(const std::vector<fs::path>& files, const fs::path& empty) {
  double startup = std::max(0.0, RunEvtxexport(empty, "/dev/null"));
  double total = 0;
  for (const auto& f : files) {
    double seconds = RunEvtxexport(f, "/dev/null");
    if (seconds < 0) return -1;
    total += std::max(0.0, seconds - startup);
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  // The host maps absolute paths only: a relative folder is made absolute.
  fs::path folder = fs::absolute(argc > 1 ? fs::path(argv[1]) : fs::path(EC_TESTDATA_DIR) / "logs", ec);
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".evtx") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::printf("no .evtx files in %s\n", folder.string().c_str());
    return 1;
  }
  std::vector<std::u16string> paths;
  for (const auto& f : files) paths.push_back(host::WindowsPathOf(f.string()));
  fs::path scratch = fs::temp_directory_path() / ("evtx_bench." + std::to_string(getpid()));
  fs::create_directories(scratch, ec);
  fs::path empty = scratch / "empty.evtx";
  std::string error;
  bool haveTool = formats::WriteEvtxFile(empty.string(), {}, error) && RunEvtxexport(empty, "/dev/null") >= 0;
  Side ours, theirs;
  std::vector<ULONGLONG> buffer(1024);
  for (int round = 0; round < kRounds; ++round) {
    ours.seconds = std::min(ours.seconds, OurPass(paths, buffer, ours));
    double seconds = haveTool ? TheirPass(files, empty) : -1;
    if (seconds < 0) haveTool = false;
    else theirs.seconds = std::min(theirs.seconds, seconds);
  }
  if (haveTool)
    for (const auto& f : files) theirs.records += EvtxexportRecords(f, scratch);
  fs::remove_all(scratch, ec);
  if (ours.records == 0) {
    std::fprintf(stderr, "evtx_bench: no record of the %zu files in %s could be read\n", files.size(),
                 folder.string().c_str());
    return 1;
  }
  std::printf("files: %zu, best of %d rounds\n", files.size(), kRounds);
  std::printf("host Evt* read and render: %zu records, %.1f ms CPU, %.0f records/s\n", ours.records, ours.seconds * 1e3,
              ours.rate());
  if (!haveTool || theirs.records == 0) {
    std::printf("evtxexport not installed or failing: no ratio\n");
    return 0;
  }
  std::printf("evtxexport: %zu records, %.1f ms CPU (start-up taken off), %.0f records/s\n", theirs.records,
              theirs.seconds * 1e3, theirs.rate());
  std::printf("ratio (host / evtxexport, records per CPU second): %.1f\n", ours.rate() / theirs.rate());
  return 0;
}
