// Filter matching against a set of 20 realistic filters, for classic and
// rendered records, compared with walking the same records doing nothing.
// The program prints the overhead ratio of each kind at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/sample_events.h"
#include "collect/rendered_event_view.h"
#include "filter/event_filter.h"

using namespace cmr;

namespace {

const char* const kFilterSet = R"(<Filters><UseFilter>1</UseFilter>
<IncludingFilters>
 <Filter><Name>Logons</Name><EventID>4624,4625,4634,4647,4648</EventID><Source>Microsoft-Windows-Security-Auditing</Source><Priority>1</Priority></Filter>
 <Filter><Name>Account management</Name><EventID>4720-4738,4740,4767</EventID><Priority>1</Priority></Filter>
 <Filter><Name>Audit failures</Name><EventType>16</EventType><Level>16</Level></Filter>
 <Filter><Name>SQL errors</Name><Source>MSSQL*</Source><EventType>1</EventType></Filter>
 <Filter><Name>Kerberos on DCs</Name><Computer>DC*</Computer><EventID>4768-4771</EventID></Filter>
 <Filter><Name>Domain CORP</Name><InsertionString number="6">CORP</InsertionString><EventID>4624</EventID></Filter>
 <Filter><Name>Service accounts</Name><User>CORP\svc_*</User></Filter>
 <Filter><Name>Services</Name><EventLog>System</EventLog><EventID>7036,7040,7045</EventID></Filter>
 <Filter><Name>Critical and errors</Name><Level>1-2</Level></Filter>
 <Filter><Name>Log cleared</Name><Source>Microsoft-Windows-Eventlog</Source><EventID>1102</EventID><Priority>10</Priority></Filter>
</IncludingFilters>
<ExcludingFilters>
 <Filter><Name>System account</Name><User>NT AUTHORITY\SYSTEM</User><Priority>1</Priority></Filter>
 <Filter><Name>Machine accounts</Name><InsertionString number="2">*$</InsertionString><Priority>2</Priority></Filter>
 <Filter><Name>Service state noise</Name><Source>Service Control Manager</Source><EventID>7036</EventID><Priority>3</Priority></Filter>
 <Filter><Name>Anonymous logoff</Name><EventID>4634</EventID><InsertionString number="5">ANONYMOUS*</InsertionString><Priority>2</Priority></Filter>
 <Filter><Name>Old records</Name><TimeWritten From="1.1.2000 0:0:0" To="1.1.2010 0:0:0"/><Priority>5</Priority></Filter>
 <Filter><Name>Kerberos category</Name><EventCategory>14339</EventCategory><Source>*Kerberos*</Source></Filter>
 <Filter><Name>Updates</Name><EventLog>Application</EventLog><Source>*Update*</Source></Filter>
 <Filter><Name>Test machines</Name><Computer>*.test.example</Computer><Priority>4</Priority></Filter>
 <Filter><Name>Firewall noise</Name><EventID>5156-5158</EventID><Priority>1</Priority></Filter>
 <Filter><Name>Audit success keywords</Name><Keywords>9007199254740992</Keywords><EventID>4656-4663</EventID></Filter>
</ExcludingFilters></Filters>)";

using benchsupport::kAuditFailure;
using benchsupport::kAuditSuccess;
using benchsupport::SampleEvent;

std::vector<SampleEvent> Samples() {
  return {
      {u"Microsoft-Windows-Security-Auditing",
       u"DC01.corp.example",
       4624,
       8,
       12544,
       0,
       kAuditSuccess,
       {u"S-1-5-18", u"DC01$", u"CORP", u"0x3e7", u"S-1-5-21-1-2-3-1104", u"alice", u"CORP"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"WS17.corp.example",
       4625,
       16,
       12544,
       0,
       kAuditFailure,
       {u"S-1-0-0", u"-", u"-", u"0x0", u"S-1-0-0", u"bob", u"CORP", u"0xc000006d"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"DC02.corp.example",
       4769,
       8,
       14337,
       0,
       kAuditSuccess,
       {u"carol@CORP.EXAMPLE", u"CORP.EXAMPLE", u"krbtgt", u"S-1-5-21-1-2-3-502"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"FS01.corp.example",
       4663,
       8,
       12800,
       0,
       kAuditSuccess,
       {u"S-1-5-21-1-2-3-1107", u"dave", u"CORP", u"0x5a1f", u"Security", u"File", u"C:\\Shares\\Finance\\q3.xlsx"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"WS03.test.example",
       5156,
       8,
       12810,
       0,
       kAuditSuccess,
       {u"4", u"System", u"%%14593", u"10.0.0.5", u"445", u"10.0.0.9", u"50213", u"6"}},
      {u"Service Control Manager",
       u"APP01.corp.example",
       7036,
       4,
       0,
       4,
       0x8080000000000000ull,
       {u"Windows Update", u"running"}},
      {u"MSSQLSERVER",
       u"SQL01.corp.example",
       17806,
       1,
       4,
       2,
       0x80000000000000ull,
       {u"0x8009030c", u"14", u"The logon attempt failed", u"10.0.0.31"}},
      {u"Microsoft-Windows-Eventlog",
       u"DC01.corp.example",
       1102,
       8,
       104,
       4,
       kAuditSuccess,
       {u"S-1-5-21-1-2-3-500", u"Administrator", u"CORP", u"0x4a3f1"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"DC01.corp.example",
       4738,
       8,
       13824,
       0,
       kAuditSuccess,
       {u"-", u"S-1-5-21-1-2-3-1120", u"erin", u"CORP", u"S-1-5-21-1-2-3-500", u"Administrator"}},
      {u"Microsoft-Windows-Security-Auditing",
       u"WS22.corp.example",
       4634,
       8,
       12545,
       0,
       kAuditSuccess,
       {u"S-1-5-7", u"ANONYMOUS LOGON", u"NT AUTHORITY", u"0x9f2", u"ANONYMOUS LOGON"}},
  };
}

const std::u16string kAccounts[] = {u"CORP\\alice", u"NT AUTHORITY\\SYSTEM", u"CORP\\svc_backup", u"CORP\\bob"};
const char16_t* const kLogs[] = {u"Security", u"Security", u"System", u"Application"};
constexpr size_t kRecords = 4096;

FilterContext ContextFor(size_t i) {
  FilterContext c;
  c.logName = kLogs[i % 4];
  c.hasUser = i % 5 != 0;
  c.userAccount = kAccounts[i % 4];
  return c;
}

struct ClassicRecords {
  std::vector<std::vector<uint8_t>> bytes;
  ClassicRecords() {
    std::vector<SampleEvent> samples = Samples();
    for (size_t i = 0; i < kRecords; ++i) bytes.push_back(benchsupport::ClassicRecord(samples[i % samples.size()], i));
  }
};

struct RenderedRecords {
  std::vector<SampleEvent> samples = Samples();
  std::vector<std::unique_ptr<RenderedEvent>> events;
  RenderedRecords() {
    for (size_t i = 0; i < kRecords; ++i) {
      const SampleEvent& s = samples[i % samples.size()];
      events.push_back(std::make_unique<RenderedEvent>());
      events.back()->Assign(benchsupport::SystemValues(s, benchsupport::SampleFileTime(i)),
                            benchsupport::StringValues(s));
    }
  }
  VistaRecordView View(size_t i) const { return ViewOf(*events[i]); }
};

const CEventFilter& FilterSet() {
  static CEventFilter set = [] {
    CEventFilter s;
    s.LoadFromString(kFilterSet);
    return s;
  }();
  return set;
}

const ClassicRecords& Classic() {
  static ClassicRecords records;
  return records;
}

const RenderedRecords& Rendered() {
  static RenderedRecords records;
  return records;
}

void ClassicWalk(benchmark::State& state) {
  const auto& records = Classic();
  for (auto _ : state)
    for (size_t i = 0; i < kRecords; ++i) {
      const auto* r = reinterpret_cast<const EVENTLOGRECORD*>(records.bytes[i].data());
      FilterContext c = ContextFor(i);
      benchmark::DoNotOptimize(r);
      benchmark::DoNotOptimize(c);
    }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void ClassicMatch(benchmark::State& state) {
  const auto& records = Classic();
  const CEventFilter& set = FilterSet();
  size_t kept = 0;
  for (auto _ : state)
    for (size_t i = 0; i < kRecords; ++i)
      kept += set.MatchClassic(reinterpret_cast<const EVENTLOGRECORD*>(records.bytes[i].data()), ContextFor(i));
  benchmark::DoNotOptimize(kept);
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["kept_per_mille"] = 1000.0 * kept / (state.iterations() * kRecords);
}

void RenderedWalk(benchmark::State& state) {
  const auto& records = Rendered();
  for (auto _ : state)
    for (size_t i = 0; i < kRecords; ++i) {
      VistaRecordView v = records.View(i);
      FilterContext c = ContextFor(i);
      benchmark::DoNotOptimize(v);
      benchmark::DoNotOptimize(c);
    }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void RenderedMatch(benchmark::State& state) {
  const auto& records = Rendered();
  const CEventFilter& set = FilterSet();
  size_t kept = 0;
  for (auto _ : state)
    for (size_t i = 0; i < kRecords; ++i) kept += set.MatchVista(records.View(i), ContextFor(i));
  benchmark::DoNotOptimize(kept);
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["kept_per_mille"] = 1000.0 * kept / (state.iterations() * kRecords);
}

BENCHMARK(ClassicWalk);
BENCHMARK(ClassicMatch);
BENCHMARK(RenderedWalk);
BENCHMARK(RenderedMatch);

void PrintRatios(const benchsupport::RatioReporter& reporter) {
  for (const std::string kind : {"Classic", "Rendered"}) {
    double walk = reporter.SecondsPerItem(kind + "Walk"), match = reporter.SecondsPerItem(kind + "Match");
    if (walk <= 0 || match <= 0) continue;
    std::printf("%s: matching 20 filters costs %.1f times walking the records (%.0f records matched per CPU second)\n",
                kind.c_str(), match / walk, 1 / match);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchsupport::RatioReporter reporter(kRecords);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
