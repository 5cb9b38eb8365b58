// The single-fault sweep: a collection is run once for each platform call it
// makes, with that call failing. Every run ends with S_OK, or a failure and
// its text; it leaves no file open and nothing in TEMP; and after it a clean
// run completes the set: the published event files hold every record of the
// log exactly once.
//
// ctest runs a sample of the calls; EC_FULL_SWEEP=1 runs every call (see
// CONTRIBUTING.md). EC_SWEEP_ERROR=<Win32 code> chooses the injected error,
// EC_SWEEP_CALL=<k> fails only call k (to look into one case), and
// EC_SWEEP_TRACE=<file> traces the runs into that file; EC_SWEEP_NAMES=1
// lists the calls of the clean run.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "base/trace.h"
#include "platform/api/errors.h"
#include "tests/proof/sweep_run.h"

namespace prooftest {
namespace {

// The call numbers to fail: all of them in a full sweep, else the first
// 25 and about 50 more spread evenly over the rest.
std::vector<unsigned long long> CallsToFail(unsigned long long total) {
  if (const char* one = std::getenv("EC_SWEEP_CALL")) return {std::strtoull(one, nullptr, 10)};
  std::vector<unsigned long long> calls;
  const char* full = std::getenv("EC_FULL_SWEEP");
  const unsigned long long step = (full != nullptr && *full == '1') ? 1 : std::max(1ULL, total / 50);
  for (unsigned long long k = 1; k <= total; k += (k < 25 ? 1 : step)) calls.push_back(k);
  return calls;
}

DWORD InjectedError() {
  const char* text = std::getenv("EC_SWEEP_ERROR");
  return text != nullptr ? static_cast<DWORD>(std::strtoul(text, nullptr, 10)) : ERROR_ACCESS_DENIED;
}

// How a run with one call failing ended, for the table.
std::string FaultyRunOutcome(SweepRun& run, HRESULT hr, const std::string& where) {
  const cmr::CTaskEventLog results = run.Results();
  const std::u16string described = testsupport::TakeErrorDescription();
  if (hr == S_OK) {
    EXPECT_EQ(results.ErrorStatus, 0) << where;
    run.Accept();
    return results.Warning.empty() ? "S_OK" : "S_OK with a warning";
  }
  EXPECT_TRUE(FAILED(hr)) << where << ": " << std::hex << hr;
  EXPECT_TRUE(!results.ErrorText.empty() || described != u"<none>") << where << ": a failure without a text";
  if (results.ErrorStatus == hr) return "failed, text in the results";
  return "failed, results not stored (text in the error object)";
}

struct Tally {
  std::map<std::string, unsigned> outcomes;
  std::map<std::string, unsigned> failingCalls;  // names of the calls whose failure failed the run
};

void SweepOnce(Scenario scenario, unsigned long long k, DWORD error, Tally& tally) {
  const std::string where = std::string(ScenarioName(scenario)) + ", call " + std::to_string(k);
  SweepRun run(scenario);
  if (const char* trace = std::getenv("EC_SWEEP_TRACE"))
    cmr::Tracer::Instance().OpenTraceFile(u"EventCollector", 40, cmr::Utf8ToUtf16(trace), 500);
  host::ClearFaults();
  host::RecordCallNames();
  host::FailCallNumber(k, error);
  const HRESULT hr = run.Collect();
  const std::string name = host::CallName(k);
  if (std::getenv("EC_SWEEP_NAMES") != nullptr)
    for (unsigned long long n = k > 10 ? k - 10 : 1; n <= k + 10; ++n)
      std::cout << (n == k ? "failed: " : "        ") << n << " " << host::CallName(n) << "\n";
  host::ClearFaults();
  const std::u16string warning = run.Results().Warning;
  const std::string outcome = FaultyRunOutcome(run, hr, where + " (" + name + ")");
  ++tally.outcomes[outcome];
  if (FAILED(hr)) ++tally.failingCalls[name];
  // A close that fails leaves its handle open: nothing can close it again.
  const bool failedClose = name.find("Close") != std::string::npos;
  if (failedClose && !run.OpenFiles().empty()) ++tally.outcomes["a failed close left its file open"];
  EXPECT_TRUE(failedClose || run.OpenFiles().empty()) << where << " (" << name << ")";
  EXPECT_EQ(run.TempLeftovers(), std::vector<std::string>{}) << where << " (" << name << ")";

  ASSERT_EQ(run.Collect(), S_OK) << where << ": the clean run after it failed";
  run.Accept();
  std::vector<uint32_t> published = run.Published();
  std::sort(published.begin(), published.end());
  if (published != run.Expected() && warning.find(u"archived backup") != std::u16string::npos) {
    // The backups the run could not list or read are named in its
    // warning: what was published is still each record at most once.
    ++tally.outcomes["S_OK, a backup not read, named in the warning"];
    EXPECT_TRUE(std::adjacent_find(published.begin(), published.end()) == published.end()) << where;
    EXPECT_TRUE(std::includes(run.Expected().begin(), run.Expected().end(), published.begin(), published.end()));
    return;
  }
  EXPECT_EQ(published, run.Expected()) << where << " (" << name << "): lost or duplicated records";
  EXPECT_TRUE(failedClose || run.OpenFiles().empty()) << where << ": files left open after the clean run";
}

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, EveryFailedCallEndsCleanAndTheNextRunCompletesTheSet) {
  unsigned long long total = 0;
  {
    SweepRun clean(GetParam());
    host::ClearFaults();
    host::RecordCallNames();
    ASSERT_EQ(clean.Collect(), S_OK);
    total = host::TotalCallCount();
    if (std::getenv("EC_SWEEP_NAMES") != nullptr)
      for (unsigned long long k = 1; k <= total; ++k) std::cout << k << " " << host::CallName(k) << "\n";
    host::ClearFaults();
    ASSERT_EQ(clean.Published(), clean.Expected());
  }
  Tally tally;
  const std::vector<unsigned long long> calls = CallsToFail(total);
  const DWORD error = InjectedError();
  for (unsigned long long k : calls) {
    SweepOnce(GetParam(), k, error, tally);
    if (HasFatalFailure()) return;
  }
  std::cout << ScenarioName(GetParam()) << ": " << calls.size() << " of " << total << " calls failed with error "
            << error << "\n";
  for (const auto& [outcome, count] : tally.outcomes) std::cout << "  " << count << "  " << outcome << "\n";
  std::cout << "  calls whose failure failed the run:";
  for (const auto& [call, count] : tally.failingCalls) std::cout << " " << call << " x" << count;
  std::cout << "\n";
}

INSTANTIATE_TEST_SUITE_P(Collections, FaultSweep,
                         ::testing::Values(Scenario::ClassicWithBackups, Scenario::ChannelWithArchive,
                                           Scenario::EvtxFile, Scenario::EvtFile),
                         [](const auto& info) { return std::string(ScenarioName(info.param)); });

}  // namespace
}  // namespace prooftest
