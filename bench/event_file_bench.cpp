// Event entries through the record dumps and the event file writer, for
// classic and rendered events, compared with handing the same entry bytes to
// zlib's gzwrite directly (the cost of compression itself). The program
// prints the overhead ratio of each kind at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "base/text.h"
#include "bench/ratio_reporter.h"
#include "bench/sample_events.h"
#include "platform/api/security.h"
#include "render/dump_context.h"
#include "render/event_file_writer.h"
#include "render/record_dump.h"
#include "render/rendered_event.h"
#include "render/sid_cache.h"

using namespace cmr;

namespace {

constexpr size_t kRecords = 4096;

using benchsupport::SampleEvent;

// The collector as a dump sees it: SIDs resolved through the local LSA.
class BenchContext : public DumpContext {
 public:
  BenchContext() { sids_.OpenPolicy(u""); }
  bool ResolveSids() const override { return true; }
  bool CollectEventResources() const override { return false; }
  bool ResolveComputerName() const override { return false; }
  std::shared_ptr<CSidCache::SidInfo> LookupSidText(const std::u16string& text) override {
    return sids_.LookupText(text);
  }
  std::u16string ResolveHostName(const std::u16string&) override { return {}; }
  std::u16string ExpandParameters(const std::u16string&, const std::u16string& text) override { return text; }
  void CountWrittenRecord() override { ++written; }
  size_t written = 0;

 private:
  CSidCache sids_;
};

struct Records {
  std::vector<SampleEvent> samples = benchsupport::RealisticSamples();
  std::vector<std::vector<uint8_t>> classic;
  std::vector<std::vector<EVT_VARIANT>> system, user;
  std::vector<std::unique_ptr<RenderedEvent>> rendered;
  CSidCache::SidInfo account{u"S-1-5-21-1-2-3-1104", u"alice", u"CORP"};
  BYTE sid[12] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

  Records() {
    for (size_t i = 0; i < kRecords; ++i) {
      const SampleEvent& s = samples[i % samples.size()];
      classic.push_back(benchsupport::ClassicRecord(s, i));
      system.push_back(SystemValues(s, i));
      user.push_back(benchsupport::StringValues(s));
      rendered.push_back(std::make_unique<RenderedEvent>());
      rendered.back()->Assign(system.back(), user.back());
    }
  }

  // The sample's System values with sub-second creation time, opcode,
  // record ID, user and version.
  std::vector<EVT_VARIANT> SystemValues(const SampleEvent& s, size_t i) {
    using benchsupport::SetSystemValue;
    std::vector<EVT_VARIANT> sys = benchsupport::SystemValues(s, benchsupport::SampleFileTime(i) + 1234567);
    SetSystemValue(sys, EvtSystemOpcode, EvtVarTypeByte).ByteVal = 0;
    SetSystemValue(sys, EvtSystemEventRecordId, EvtVarTypeUInt64).UInt64Val = 100000 + i;
    SetSystemValue(sys, EvtSystemUserID, EvtVarTypeSid).SidVal = sid;
    SetSystemValue(sys, EvtSystemVersion, EvtVarTypeByte).ByteVal = 2;
    return sys;
  }
};

Records& Data() {
  static Records records;
  return records;
}

std::string ScratchFile(const char* name) { return "/tmp/ec-event-file-bench-" + std::to_string(getpid()) + name; }

// Every entry of one kind written through the dumps into a file.
void WriteWithDumps(bool classic, const std::string& path, BenchContext& context) {
  Records& r = Data();
  EventFileWriter writer;
  if (!writer.Open(cmr::Utf8ToUtf16(path))) return;
  for (size_t i = 0; i < kRecords; ++i) {
    if (classic) DumpClassicRecord(writer, r.classic[i], &r.account, nullptr, context);
    else DumpRenderedEvent(writer, *r.rendered[i], &r.account, context);
  }
  writer.Close();
}

// The UTF-8 bytes of each entry as the dumps make them.
std::vector<std::string> EntryBytes(bool classic) {
  std::string path = ScratchFile("-entries");
  BenchContext context;
  WriteWithDumps(classic, path, context);
  std::vector<std::string> entries;
  gzFile f = gzopen(path.c_str(), "rb");
  std::string content;
  char buffer[65536];
  int got;
  while (f != nullptr && (got = gzread(f, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<size_t>(got));
  if (f != nullptr) gzclose(f);
  std::remove(path.c_str());
  for (size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
    entries.push_back(content.substr(start, end + 2 - start));
  return entries;
}

void Baseline(benchmark::State& state, bool classic) {
  std::vector<std::string> entries = EntryBytes(classic);
  std::string path = ScratchFile("-zlib");
  for (auto _ : state) {
    gzFile f = gzopen(path.c_str(), "wb");
    for (const std::string& e : entries) gzwrite(f, e.data(), static_cast<unsigned>(e.size()));
    gzclose(f);
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRecords));
}

void Dumped(benchmark::State& state, bool classic) {
  std::string path = ScratchFile("-dump");
  BenchContext context;
  Data();  // the records are made before the clock runs
  for (auto _ : state) WriteWithDumps(classic, path, context);
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRecords));
}

void ClassicZlib(benchmark::State& state) { Baseline(state, true); }
void ClassicDump(benchmark::State& state) { Dumped(state, true); }
void RenderedZlib(benchmark::State& state) { Baseline(state, false); }
void RenderedDump(benchmark::State& state) { Dumped(state, false); }

// The CPU time of the whole process: the writer compresses on a thread of
// its own.
BENCHMARK(ClassicZlib)->MeasureProcessCPUTime();
BENCHMARK(ClassicDump)->MeasureProcessCPUTime();
BENCHMARK(RenderedZlib)->MeasureProcessCPUTime();
BENCHMARK(RenderedDump)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchsupport::RatioReporter reporter(kRecords);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* kind : {"Classic", "Rendered"}) {
    double zlib = reporter.SecondsPerItem(std::string(kind) + "Zlib/process_time");
    double dump = reporter.SecondsPerItem(std::string(kind) + "Dump/process_time");
    if (zlib <= 0 || dump <= 0) continue;
    std::printf("%s: dump and writer take %.2f times plain gzwrite of the same bytes (%.0f entries per CPU second)\n",
                kind, dump / zlib, 1 / dump);
  }
  return 0;
}
