// One collection of a sweep: a fresh host and folder, a log made by the
// project's writers, and the record ids every published event file holds.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/collect/collect_fixture.h"

namespace prooftest {

// The four collections the sweep fails call by call.
enum class Scenario { ClassicWithBackups, ChannelWithArchive, EvtxFile, EvtFile };
// Its name, as the test names it.
const char* ScenarioName(Scenario scenario);

class SweepRun : public collecttest::CollectFixture {
 public:
  explicit SweepRun(Scenario scenario);
  ~SweepRun() override;
  void TestBody() override {}

  // The event ids of the log, oldest first.
  const std::vector<uint32_t>& Expected() const { return expected_; }
  HRESULT Collect() { return Run(processBackups_); }
  // The run's results as the product would read them; a stored position
  // moved on after a successful run.
  cmr::CTaskEventLog Results() const { return ReadConfig(); }
  void Accept() { AdvancePosition(); }
  // The event ids of every published event file, file by file in name order.
  std::vector<uint32_t> Published() const;
  // Files of the test's folder this process holds open, and leftovers in TEMP.
  std::vector<std::string> OpenFiles() const;
  std::vector<std::string> TempLeftovers() const;

 private:
  void MakeClassicWithBackups();
  void MakeChannelWithArchive();
  void MakeEvtxFile();
  void MakeEvtFile();
  void UseMachineFolder();
  void Configure(const std::u16string& log, const std::u16string& file, DWORD api);

  std::vector<uint32_t> expected_;
  bool processBackups_ = false;
};

}  // namespace prooftest
