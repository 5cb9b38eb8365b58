// Collections in several processes on one machine folder: two processes
// collecting two logs share the machine-wide opening mutex and lose
// nothing; a collection killed at any point publishes no partial file, and
// the next run collects everything.
#include <chrono>
#include <random>
#include <thread>

#include "collect/opening_mutex.h"
#include "platform/api/kernel.h"
#include "platform/host/machine/machine_folder.h"
#include "platform/host/registry/registry_file.h"
#include "tests/collect/collect_fixture.h"
#include "tests/support/child_process.h"

namespace prooftest {
namespace {

namespace fs = std::filesystem;

// Collects the log that the configuration names on the machine folder:
// args machine folder, configuration file, save folder.
EC_CHILD_ROLE(CollectFromMachineFolder) {
  if (args.size() != 3) return 20;
  host::Host::Get().Reset();
  if (host::LoadMachineFolder(host::Host::Get().Local(), args[0]) != 0) return 21;
  cmr::CTask task;
  testsupport::Bstr computer(u"WORKSTATION1"), save(host::WindowsPathOf(args[2])), file(cmr::Utf8ToUtf16(args[1]));
  return task.Run(computer.b, save.b, file.b, nullptr, VARIANT_FALSE, 0, 0x10000) == S_OK ? 0 : 1;
}

class ConcurrentCollection : public collecttest::CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    Local().SetRoot(MachineDir());
    fs::create_directories(MachineDir() + "/C/Windows/System32/config");
    SetSystemRoot();
  }
  std::string MachineDir() const { return dir_.path() + "/machine"; }
  // A classic log of `count` records in the machine folder.
  void MakeFileLog(const std::u16string& name, uint32_t count) {
    MakeLog(name, 0x2000000, 0, u"%SystemRoot%\\System32\\config\\" + name + u".evt");
    Append(name, 1, count);
  }
  // The registry export that the child processes load.
  void SaveRegistry() {
    ASSERT_EQ(host::ExportRegFile(Local(), u"HKEY_LOCAL_MACHINE\\SYSTEM", MachineDir() + "/system.reg"), 0u);
    ASSERT_EQ(host::ExportRegFile(Local(), u"HKEY_LOCAL_MACHINE\\SOFTWARE", MachineDir() + "/software.reg"), 0u);
  }
  // A configuration that collects `log` from its first record.
  std::string Configure(const std::u16string& log, const std::string& name) {
    Configuration(log).SaveToFile(cmr::Utf8ToUtf16(dir_.path() + "/" + name));
    return dir_.path() + "/" + name;
  }
  std::vector<std::string> Args(const std::string& config, const std::string& out) const {
    return {MachineDir(), config, out};
  }
};

TEST_F(ConcurrentCollection, TwoProcessesCollectingTwoLogsShareTheOpeningMutexAndLoseNothing) {
  MakeFileLog(u"Alpha", 4000);
  MakeFileLog(u"Beta", 3000);
  SaveRegistry();
  const std::string out[] = {dir_.path() + "/alpha", dir_.path() + "/beta"};
  {
    // While this process holds the opening mutex, neither collection gets
    // past opening its log.
    cmr::OpeningMutex mutex;
    ASSERT_TRUE(mutex.Create());
    ASSERT_TRUE(mutex.Wait());
    testsupport::Child alpha("CollectFromMachineFolder", Args(Configure(u"Alpha", "alpha.xml"), out[0]));
    testsupport::Child beta("CollectFromMachineFolder", Args(Configure(u"Beta", "beta.xml"), out[1]));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(PublishedFiles(out[0]).size() + PublishedFiles(out[1]).size(), 0u);
    mutex.Release();
    EXPECT_EQ(alpha.Wait(), 0);
    EXPECT_EQ(beta.Wait(), 0);
  }
  for (const auto& [folder, count] : {std::pair{out[0], 4000u}, std::pair{out[1], 3000u}}) {
    ASSERT_EQ(PublishedFiles(folder).size(), 1u) << folder;
    EXPECT_EQ(collecttest::EventIds(folder + "/" + PublishedFiles(folder)[0]), collecttest::Range(1, count));
  }
}

TEST_F(ConcurrentCollection, AKilledCollectionPublishesNoPartialFileAndTheNextRunCollectsEverything) {
  constexpr uint32_t kRecords = 20000;
  MakeFileLog(u"Alpha", kRecords);
  SaveRegistry();
  const std::string config = Configure(u"Alpha", "task.xml");
  const std::string out = dir_.path() + "/out";

  // How long a whole collection takes here, to kill the next ones inside it.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(testsupport::RunChild("CollectFromMachineFolder", Args(config, dir_.path() + "/timing")), 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  for (int round = 0; round < 4; ++round) {
    fs::remove_all(out);
    Configure(u"Alpha", "task.xml");
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution<long long>(0, whole.count())(random));
    {
      testsupport::Child victim("CollectFromMachineFolder", Args(config, out));
      std::this_thread::sleep_for(delay);
      victim.Kill();
    }
    // A published file is whole: it holds every record its name promises.
    for (const std::string& name : PublishedFiles(out)) {
      const std::vector<uint32_t> ids = collecttest::EventIds(out + "/" + name);
      ASSERT_FALSE(ids.empty()) << name;
      EXPECT_EQ(ids, collecttest::Range(ids.front(), ids.back())) << name;
      EXPECT_EQ(ids.size(), kRecords) << name << ": killed after " << delay.count() << " us";
    }
    // The next run, from the position the killed one stored when it got
    // that far, completes the set.
    AdvancePosition();
    ASSERT_EQ(testsupport::RunChild("CollectFromMachineFolder", Args(config, out)), 0);
    std::vector<uint32_t> all;
    for (const std::string& name : PublishedFiles(out))
      for (uint32_t id : collecttest::EventIds(out + "/" + name)) all.push_back(id);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    EXPECT_EQ(all, collecttest::Range(1, kRecords)) << "killed after " << delay.count() << " us";
  }
}

}  // namespace
}  // namespace prooftest
