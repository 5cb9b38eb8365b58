// A console reporter that keeps the CPU time per item of every benchmark run,
// so that a program can print ratios of two runs measured in the same process
// (the machine may be shared: absolute times say little, ratios do).
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace benchsupport {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // itemsPerIteration: how many items one iteration of every run handles.
  explicit RatioReporter(double itemsPerIteration) : itemsPerIteration_(itemsPerIteration) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        secondsPerItem_[run.benchmark_name()] =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) / itemsPerIteration_;
    ConsoleReporter::ReportRuns(runs);
  }

  // CPU seconds per item of a run; 0 when it did not run.
  double SecondsPerItem(const std::string& name) const {
    auto found = secondsPerItem_.find(name);
    return found == secondsPerItem_.end() ? 0 : found->second;
  }

 private:
  double itemsPerIteration_;
  std::map<std::string, double> secondsPerItem_;
};

}  // namespace benchsupport
