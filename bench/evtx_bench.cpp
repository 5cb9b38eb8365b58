// Reading and rendering real .evtx files through the host's Evt* functions
// (EvtQuery on the file, EvtNext in batches of 100, EvtRender of the system
// and the user values of every event), against the independent reader
// evtxexport (libevtx-utils) exporting the same files, in the same run.
// Prints records per second of each and the ratio.
//
//   evtx_bench [folder of .evtx files]   (default: the shared sample logs)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/formats/evtx_reader.h"
#include "platform/host/paths.h"
#include "platform/host/wevtapi.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Best of `runs` timings of `work`.
template <class Work>
double BestSeconds(int runs, Work work) {
  double best = 1e100;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    work();
    best = std::min(best, Seconds(Clock::now() - start));
  }
  return best;
}

bool HaveEvtxexport() { return std::system("command -v evtxexport > /dev/null 2>&1") == 0; }

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path(EC_TESTDATA_DIR) / "logs";
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".evtx") files.push_back(entry.path());
  if (files.empty()) {
    std::printf("no .evtx files in %s\n", folder.string().c_str());
    return 1;
  }
  EVT_HANDLE system = EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem);
  EVT_HANDLE user = EvtCreateRenderContext(0, nullptr, EvtRenderContextUser);
  std::vector<ULONGLONG> buffer(1024);
  size_t records = 0;
  double ours = BestSeconds(5, [&] {
    records = 0;
    for (const auto& f : files) records += RenderFile(host::WindowsPathOf(f.string()), system, user, buffer);
  });
  EvtClose(system);
  EvtClose(user);
  std::printf("files: %zu, records: %zu\n", files.size(), records);
  std::printf("host Evt* read and render: %.0f records/s\n", records / ours);
  if (!HaveEvtxexport()) {
    std::printf("evtxexport not installed: no ratio\n");
    return 0;
  }
  double theirs = BestSeconds(3, [&] {
    for (const auto& f : files) {
      std::string command = "evtxexport '" + f.string() + "' > /dev/null 2>&1";
      if (std::system(command.c_str()) == -1) std::printf("cannot run evtxexport\n");
    }
  });
  std::printf("evtxexport: %.0f records/s\n", records / theirs);
  std::printf("ratio (host / evtxexport): %.1f\n", theirs / ours);
  return 0;
}
