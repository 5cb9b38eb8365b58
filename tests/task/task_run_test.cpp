#include <gtest/gtest.h>

#include <filesystem>

#include "base/exceptions.h"
#include "tests/support/child_process.h"
#include "tests/support/classic_host.h"
#include "tests/task/task_fixture.h"

using namespace cmr;

namespace fs = std::filesystem;
using tasktest::Bstr;
using testsupport::TakeErrorDescription;

namespace {

class TaskRun : public tasktest::TaskFixture {};

cmr::CTaskEventLog StarConfig() {
  cmr::CTaskEventLog config;
  config.LogNames = {u"Security", u"*"};
  config.LogName = u"*";
  cmr::LogInfoEntry earlier;
  earlier.Name = u"FromFile";
  config.AddLogInfo(earlier);
  return config;
}

TEST_F(TaskRun, StarListsTheChannelsAndWritesNoEventFile) {
  AddChannel(u"Application", 0, 3);
  AddChannel(u"Microsoft-Windows-Test/Analytic", 2, 0);
  AddChannel(u"Microsoft-Windows-Test/Debug", 3, 0);
  AddChannel(u"Microsoft-Windows-Test/Operational", 1, 1);
  WriteConfig(StarConfig());
  std::string saveDir = dir_.path() + "/out";
  CTask task;
  ASSERT_EQ(Run(task, cmr::Utf8ToUtf16(saveDir).c_str()), S_OK);
  EXPECT_FALSE(fs::exists(saveDir));
  cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, 0);
  EXPECT_EQ(result.ErrorText, cmr::Win32ErrorText(0));
  ASSERT_EQ(result.LogInfoList.size(), 3u);
  EXPECT_EQ(result.LogInfoList[0].Name, u"FromFile");
  EXPECT_EQ(result.LogInfoList[1].Name, u"Application");
  EXPECT_EQ(result.LogInfoList[1].APIUsed, 2);
  EXPECT_EQ(result.LogInfoList[1].NumOfRecords, 3u);
  EXPECT_EQ(result.LogInfoList[2].Name, u"Microsoft-Windows-Test/Operational");
  // The LogName list is emptied: one LogName element with the single value.
  EXPECT_EQ(result.LogNames, std::vector<std::u16string>{u"*"});
  ASSERT_TRUE(result.ComputerInfo);
  EXPECT_EQ(result.ComputerInfo->Domain, u"corp.example.com");

  std::string trace = TraceText();
  // Skipped analytic and debug channels are still counted.
  for (const char* line : {"GetExistingEventLogs succeeded: 4 logs enumerated", "  Log: Application",
                           "CollectEvents started for: \\\\WORKSTATION1", "CollectEvents - finished"})
    EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
  EXPECT_EQ(trace.find("  Log: Microsoft-Windows-Test/Debug"), std::string::npos);
}

TEST_F(TaskRun, ListingFailureIsRecordedAndTheFileRewritten) {
  WriteConfig(StarConfig());
  CTask task;
  EXPECT_EQ(Run(task, nullptr, nullptr, u"\\\\NOSUCH"), static_cast<HRESULT>(0x80070035));
  cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, static_cast<int32_t>(0x80070035));
  EXPECT_EQ(result.ErrorText, cmr::Win32ErrorText(53));
  EXPECT_EQ(result.LogInfoList.size(), 1u);
  EXPECT_FALSE(result.ComputerInfo);
  std::string trace = TraceText();
  EXPECT_NE(trace.find("GetExistingEventLogs failed - 53"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Computer info failed to resolve: 0x8007"), std::string::npos);
}

// Without the Windows Event Log interface the classic logs of the registry
// are listed. The interface's presence is decided once per process, hence a
// process of its own.
EC_CHILD_ROLE(ListClassicLogs) {
  host::Host::Get().Reset();
  host::SetWevtapiAvailable(false);
  host::Computer& local = host::Host::Get().Local();
  for (const char16_t* name : {u"Application", u"System"}) testsupport::MakeClassicLog(local, name);
  formats::EvtRecordFields record;
  record.source = u"Disk";
  for (int i = 0; i < 2; ++i) host::AppendClassicRecord(local, u"System", record);
  std::u16string file = cmr::Utf8ToUtf16(args.at(0));
  cmr::CTaskEventLog config;
  config.LogName = u"*";
  config.SaveToFile(file);
  CTask task;
  Bstr c(u"WORKSTATION1"), f(file);
  if (task.Run(c.b, nullptr, f.b, nullptr, 0, 0, 0) != S_OK) return 11;
  config.LoadFromFile(file);
  if (config.LogInfoList.size() != 2) return 12;
  const cmr::LogInfoEntry& system = config.LogInfoList[1];
  if (system.Name != u"System" || system.API != 1 || system.APIUsed != 1 || system.Enabled != 1) return 13;
  if (system.NumOfRecords != 2) return 14;
  return 0;
}

TEST_F(TaskRun, ClassicLogsWhenTheWindowsEventLogInterfaceIsAbsent) {
  EXPECT_EQ(testsupport::RunChild("ListClassicLogs", {ConfigPath()}), 0);
}

TEST_F(TaskRun, FailedCollectionKeepsTheStoredResultsAndConsumesTheErrorObject) {
  cmr::CTaskEventLog config;
  config.LogName = u"Sys*";  // two characters or more: an ordinary log name
  config.LastEventFound = true;
  config.Warning = u"earlier warning";
  config.EventFileName = u"earlier.adevt";
  config.ErrorStatus = 0;
  WriteConfig(config);
  CTask task;
  EXPECT_EQ(Run(task), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), u"<none>");  // read into the result's text
  cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, static_cast<int32_t>(E_FAIL));
  EXPECT_EQ(result.ErrorText, u"Event log 'Sys*' does not exist (API used: NT, Vista) (Error number: 0x80004005)");
  EXPECT_TRUE(result.LastEventFound);
  EXPECT_EQ(result.Warning, u"earlier warning");
  EXPECT_EQ(result.EventFileName, u"earlier.adevt");
  EXPECT_TRUE(result.LogInfoList.empty());
}

// A configuration that cannot be read or used ends the run with its error
// object and leaves the file as it was.
TEST_F(TaskRun, UnusableConfigurationFailsAndLeavesTheFileUntouched) {
  CTask task;
  EXPECT_EQ(Run(task), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), u"task config file open error");
  std::ofstream(ConfigPath()) << "<Task/>";
  EXPECT_EQ(Run(task), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), u"Invalid task config.");
  EXPECT_EQ(testsupport::ReadFileText(ConfigPath()), "<Task/>");
  cmr::CTaskEventLog config = StarConfig();
  config.Filter = u"<Filters><Unclosed>";
  WriteConfig(config);
  const std::string before = testsupport::ReadFileText(ConfigPath());
  EXPECT_EQ(Run(task), E_FAIL);
  EXPECT_NE(TakeErrorDescription(), u"<none>");
  EXPECT_EQ(testsupport::ReadFileText(ConfigPath()), before);
}

TEST_F(TaskRun, ProductNameKeptWhenNullReplacedWhenGiven) {
  WriteConfig(StarConfig());
  CTask task;
  ASSERT_EQ(Run(task, nullptr, u"Overseer"), S_OK);
  EXPECT_EQ(task.ProductName(), u"Overseer");
  ASSERT_EQ(Run(task, nullptr, nullptr), S_OK);
  EXPECT_EQ(task.ProductName(), u"Overseer");
  ASSERT_EQ(Run(task, nullptr, u""), S_OK);
  EXPECT_EQ(task.ProductName(), u"");
}

TEST(TaskSavePath, NullUsesTheConfiguredFolderEmptyStaysEmpty) {
  cmr::CTaskEventLog config;
  config.SavePath = u"C:\\Collected";
  Bstr empty(u""), given(u"D:\\Out");
  EXPECT_EQ(CTask::SavePathFor(nullptr, config), u"C:\\Collected");
  EXPECT_EQ(CTask::SavePathFor(empty.b, config), u"");
  EXPECT_EQ(CTask::SavePathFor(given.b, config), u"D:\\Out");
}

}  // namespace
