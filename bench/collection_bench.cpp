// The cost of a whole collection against the cost of compressing its
// output. An .evtx and an .evt of a million realistic records (made by the
// project's writers in a temporary folder) are collected through the
// component (ITask::Run with LoadFromEvtFile), each in a process of its own;
// side by side, in the same run:
//   (a) zlib at its default level compressing the same entries in one
//       thread, one gzwrite per entry (the writer hands blocks of entries:
//       the gzip stream is the same);
//   (b) the independent readers evtxexport and evtexport reading the same
//       files (libevtx-utils, libevt-utils), when installed.
// For each: records per CPU second, the ratio of its CPU time to (a), the
// elapsed time and its ratio to (a)'s (the writer compresses on a second
// thread, which lowers the elapsed time, not the CPU time), and peak
// resident memory above an empty process of the same program. The
// collection and (a) run in turn, three times each by default: their
// medians are compared (on a shared machine one run of either may be
// slowed by a third of its time).
//
//   collection_bench [RECORDS] [--keep DIR] [--no-export] [--runs N]
// RECORDS defaults to 1000000; --keep makes (or reuses) the log files in DIR
// instead of a temporary folder; --no-export leaves (b) out (the exporters
// take many minutes over a million records, and their time does not change
// with ours). Handy when profiling a collection:
//   collection_bench --collect FILE OUTDIR    (one collection, for perf)
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "bench/large_logs.h"
#include "bench/spawned_process.h"
#include "platform/host/files/paths.h"
#include "platform/host/host.h"
#include "task/task.h"
#include "task/task_event_log.h"
#include "tests/support/com_values.h"

namespace {

namespace fs = std::filesystem;

std::string Self() { return fs::read_symlink("/proc/self/exe").string(); }

bool IsEvtx(const std::string& file) { return file.ends_with(".evtx"); }

// One collection of `file` into `out`: the component's ITask::Run.
int Collect(const std::string& file, const std::string& out) {
  fs::create_directories(out);
  cmr::CTaskEventLog config;
  config.LogName = IsEvtx(file) ? u"Security" : u"System";
  config.LoadFromEvtFile = host::WindowsPathOf(fs::absolute(file).string());
  config.SeekLastFirstRun = false;
  if (IsEvtx(file)) config.PreferredAPI = 2;  // the Windows Event Log interface first
  const std::string configFile = out + "/task.xml";
  config.SaveToFile(cmr::Utf8ToUtf16(configFile));
  cmr::CTask task;
  testsupport::Bstr computer(host::kDefaultComputerName), save(host::WindowsPathOf(fs::absolute(out).string()));
  testsupport::Bstr configPath(cmr::Utf8ToUtf16(configFile));
  const HRESULT hr = task.Run(computer.b, save.b, configPath.b, nullptr, VARIANT_FALSE, 0, 0x10000);
  if (hr != S_OK) std::fprintf(stderr, "collection failed: %08X\n", static_cast<unsigned>(hr));
  return hr == S_OK ? 0 : 1;
}

// The event file a collection published in `out`.
std::string PublishedFile(const std::string& out) {
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().extension() == ".adevt") return e.path().string();
  return {};
}

// Decompresses an event file into `plain`; the number of entries.
size_t Decompress(const std::string& file, const std::string& plain) {
  gzFile in = gzopen(file.c_str(), "rb");
  FILE* out = std::fopen(plain.c_str(), "wb");
  size_t entries = 0;
  std::vector<char> buffer(1 << 16);
  int got = 0;
  char before = 0;  // the last byte of the block before: a line end may straddle two blocks
  while (in != nullptr && out != nullptr &&
         (got = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    for (int i = 0; i < got; ++i) {
      entries += before == '\r' && buffer[i] == '\n';
      before = buffer[i];
    }
    std::fwrite(buffer.data(), 1, static_cast<size_t>(got), out);
  }
  if (in != nullptr) gzclose(in);
  if (out != nullptr) std::fclose(out);
  return entries;
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Seconds {
  double cpu = -1;
  double wall = -1;
};

// (a): the entries of `plain` handed to gzwrite one by one at the default
// level, in one thread; CPU and elapsed seconds.
Seconds CompressEntries(const std::string& plain, const std::string& target) {
  FILE* in = std::fopen(plain.c_str(), "rb");
  if (in == nullptr) return {};
  const size_t size = static_cast<size_t>(fs::file_size(plain));
  void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(in), 0);
  std::fclose(in);
  if (mapped == MAP_FAILED) return {};
  const char* text = static_cast<const char*>(mapped);
  const double start = ProcessCpuSeconds(), startWall = WallSeconds();
  gzFile out = gzopen(target.c_str(), "wb");
  for (size_t at = 0; at < size;) {
    const char* end = static_cast<const char*>(memmem(text + at, size - at, "\r\n", 2));
    const size_t next = end == nullptr ? size : static_cast<size_t>(end - text) + 2;
    gzwrite(out, text + at, static_cast<unsigned>(next - at));
    at = next;
  }
  gzclose(out);
  const Seconds seconds{ProcessCpuSeconds() - start, WallSeconds() - startWall};
  munmap(mapped, size);
  return seconds;
}

// The median CPU and the median elapsed time of `runs`.
Seconds Median(std::vector<Seconds> runs) {
  auto middle = [&runs](double Seconds::*field) {
    std::vector<double> values;
    for (const Seconds& run : runs) values.push_back(run.*field);
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
  };
  return {middle(&Seconds::cpu), middle(&Seconds::wall)};
}

struct Row {
  std::string what;
  size_t records = 0;
  Seconds seconds;      // start-up taken off
  double peakMiB = -1;  // above the empty process; negative: not measured
};

void Print(const Row& row, const Seconds& zlib) {
  std::printf("  %-44s %9zu %9.2f %12.0f %8.2f %9.2f %8.2f", row.what.c_str(), row.records, row.seconds.cpu,
              static_cast<double>(row.records) / row.seconds.cpu, row.seconds.cpu / zlib.cpu, row.seconds.wall,
              row.seconds.wall / zlib.wall);
  if (row.peakMiB >= 0) std::printf(" %10.1f", row.peakMiB);
  std::printf("\n");
}

// Runs `args` from a fresh, small process of this program, so that the peak
// resident memory measured is the command's own (Linux keeps a process's
// peak across exec, and this process holds the generated logs).
benchsupport::ProcessCost Measured(std::vector<std::string> args) {
  args.insert(args.begin(), {Self(), "--measure"});
  const std::string report = fs::temp_directory_path() / ("collection_bench.cost." + std::to_string(getpid()));
  benchsupport::ProcessCost cost;
  const benchsupport::ProcessCost wrapper = benchsupport::RunProcess(args, report.c_str());
  if (FILE* in = std::fopen(report.c_str(), "r")) {
    int ran = 0;
    cost.ran = std::fscanf(in, "%d %d %lf %lf %lf", &ran, &cost.status, &cost.cpuSeconds, &cost.peakMiB,
                           &cost.wallSeconds) == 5 &&
               ran == 1;
    std::fclose(in);
  }
  std::remove(report.c_str());
  if (!wrapper.ran) cost.ran = false;
  return cost;
}

// The --measure role: runs the rest of the command line, prints its cost.
int MeasureRole(int argc, char** argv) {
  const benchsupport::ProcessCost cost =
      benchsupport::RunProcess(std::vector<std::string>(argv + 2, argv + argc), "/dev/null");
  std::printf("%d %d %f %f %f\n", cost.ran ? 1 : 0, cost.status, cost.cpuSeconds, cost.peakMiB, cost.wallSeconds);
  return 0;
}

// Collects and compresses one file `runs` times in turn (the entries that
// (a) compresses are those of the first collection), exports it once;
// prints its table.
bool Measure(const std::string& file, const std::string& scratch, size_t records, bool exporters, int runs) {
  const std::string out = scratch + "/out";
  const std::string plain = scratch + "/entries.txt";
  const benchsupport::ProcessCost idle = Measured({Self(), "--idle"});
  std::vector<Seconds> collections, compressions;
  Row collection{"collection (ITask::Run, LoadFromEvtFile)", 0, {}, 0};
  for (int run = 0; run < runs; ++run) {
    fs::remove_all(out);
    const benchsupport::ProcessCost collected = Measured({Self(), "--collect", file, out});
    if (!collected.ran || collected.status != 0) {
      std::fprintf(stderr, "collection_bench: the collection of %s failed\n", file.c_str());
      return false;
    }
    collections.push_back({collected.cpuSeconds - idle.cpuSeconds, collected.wallSeconds - idle.wallSeconds});
    collection.peakMiB = std::max(collection.peakMiB, collected.peakMiB - idle.peakMiB);
    if (run == 0) collection.records = Decompress(PublishedFile(out), plain);
    compressions.push_back(CompressEntries(plain, scratch + "/zlib.gz"));
  }
  collection.seconds = Median(collections);
  Row zlib{"(a) zlib gzwrite of the same entries", collection.records, Median(compressions)};
  fs::remove_all(out);
  fs::remove(plain);
  fs::remove(scratch + "/zlib.gz");
  if (collection.records != records)
    std::fprintf(stderr, "collection_bench: %zu of %zu records collected\n", collection.records, records);

  const char* tool = IsEvtx(file) ? "evtxexport" : "evtexport";
  std::printf("%s (%zu records, %.0f MiB; collection and (a): medians of %d runs)\n", file.c_str(), records,
              static_cast<double>(fs::file_size(file)) / 1048576, runs);
  std::printf("  %-44s %9s %9s %12s %8s %9s %8s %10s\n", "", "records", "CPU s", "records/s", "ratio(a)", "elapsed s",
              "ratio(a)", "+RSS MiB");
  Print(collection, zlib.seconds);
  Print(zlib, zlib.seconds);
  if (!exporters) return collection.records == records;
  const benchsupport::ProcessCost toolIdle = Measured({tool, "-h"});
  const benchsupport::ProcessCost exported = Measured({tool, file});
  if (exported.ran && toolIdle.ran)
    Print({std::string("(b) ") + tool,
           records,
           {exported.cpuSeconds - toolIdle.cpuSeconds, exported.wallSeconds - toolIdle.wallSeconds},
           exported.peakMiB - toolIdle.peakMiB},
          zlib.seconds);
  else if (toolIdle.ran) std::printf("  (b) %s did not finish (stopped or failed)\n", tool);
  else
    std::printf("  (b) %s is not installed (apt-get install %s)\n", tool,
                IsEvtx(file) ? "libevtx-utils" : "libevt-utils");
  return collection.records == records;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) {
    host::Host::Get().Reset();
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--collect") == 0) return Collect(argv[2], argv[3]);
  if (argc > 2 && std::strcmp(argv[1], "--measure") == 0) return MeasureRole(argc, argv);
  size_t records = 1000000;
  std::string keep;
  bool exporters = true;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
    else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--no-export") == 0) exporters = false;
    else records = std::strtoul(argv[i], nullptr, 10);
  }
  const std::string scratch =
      keep.empty() ? (fs::temp_directory_path() / ("collection_bench." + std::to_string(getpid()))).string()
                   : fs::absolute(keep).string();
  fs::create_directories(scratch);
  const std::string evtx = scratch + "/log-" + std::to_string(records) + ".evtx";
  const std::string evt = scratch + "/log-" + std::to_string(records) + ".evt";
  if (!fs::exists(evtx) && !benchsupport::WriteLargeEvtx(evtx, records))
    return std::fprintf(stderr, "cannot write %s\n", evtx.c_str()), 1;
  if (!fs::exists(evt) && !benchsupport::WriteLargeEvt(evt, records))
    return std::fprintf(stderr, "cannot write %s\n", evt.c_str()), 1;
  bool ok = Measure(evtx, scratch, records, exporters, runs);
  ok = Measure(evt, scratch, records, exporters, runs) && ok;
  if (keep.empty()) fs::remove_all(scratch);
  return ok ? 0 : 1;
}
