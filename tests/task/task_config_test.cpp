#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/replace_file.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#ifndef _WIN32
#include "platform/host/faults/faults.h"
#endif
#include "task/task_event_log.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thrown_text.h"

namespace fs = std::filesystem;
using cmr::CTaskEventLog;
using cmr::Utf16ToUtf8;
using cmr::Utf8ToUtf16;
using testsupport::ThrownText;

namespace {

std::string Xml(const CTaskEventLog& c) { return Utf16ToUtf8(c.SaveToString()); }

std::u16string Doc(const std::string& children) {
  return Utf8ToUtf16("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Task CLSID=\"x\">" + children + "</Task>");
}

TEST(TaskConfig, NewConfigurationDocument) {
  CTaskEventLog c;
  std::string xml = Xml(c);
  EXPECT_TRUE(xml.starts_with(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Task CLSID=\"{3B9E6A40-2C75-4F1D-8A63-5E0D91C4B7F2}\">"))
      << xml;
  for (const char* element : {"<Module file=\"Calomar.Common.EventCollector.dll\" />",
                              "<LastRecordNumber>0</LastRecordNumber>", "<LastTimeWritten>-1</LastTimeWritten>",
                              "<ErrorStatus>-1</ErrorStatus>", "<SeekLastFirstRun>1</SeekLastFirstRun>",
                              "<PreferredAPI>1</PreferredAPI>\n    <FallbackAPI>2</FallbackAPI>", "<LogInfoList />"})
    EXPECT_NE(xml.find(element), std::string::npos) << element;
  EXPECT_EQ(xml.find("ComputerInfo"), std::string::npos);
  // Elements in their fixed order.
  std::istringstream order(
      "<GUID> <LogName <CompactLogName <LoadFromEvtFile <ResolveSIDs> <ResolveMACs> <SavePath <LastRecordNumber> "
      "<LastTimeWritten> <Modules> <Filter <SeekLastFirstRun> <LastEventFound> <CollectEventResources> "
      "<ResolveComputerName> <UserLanguage> <PreferredAPI> <FallbackAPI> <Warning <ErrorStatus> <ErrorText "
      "<EventFileName <LogInfoList");
  size_t last = 0;
  for (std::string name; order >> name;) {
    size_t at = xml.find(name);
    ASSERT_NE(at, std::string::npos) << name;
    EXPECT_GT(at, last) << name;
    last = at;
  }
  EXPECT_NE(c.UserLanguage, 0);  // the user's default language
}

TEST(TaskConfig, RoundTripOfEveryField) {
  CTaskEventLog a;
  a.PolicyAuditEventTypes = {{3, 1}, {-2, 7}};
  a.LogNames = {u"Security", u"Application"};
  a.LogName = u"Application";
  a.LoadFromEvtFile = u"C:\\x.evt";
  a.SavePath = u"D:\\Save \u00E4";
  a.LastRecordNumber = 0x80000001u;
  a.LastTimeWritten = 1700000000u;
  a.Filter = u"<Filters UseFilter=\"1\"><x a='&amp;'/></Filters>";
  a.SeekLastFirstRun = false;
  a.CompactLogName = u"Sec";
  a.CollectEventResources = a.ResolveComputerName = a.ResolveSIDs = a.ResolveMACs = a.LastEventFound = true;
  a.UserLanguage = 1031;
  a.PreferredAPI = 2;
  a.FallbackAPI = 0;
  a.Warning = u"  two  blanks  ";
  a.ErrorStatus = static_cast<int32_t>(0x80004005u);
  a.ErrorText = u"failed";
  a.EventFileName = u"f.adevt";
  a.LogInfoList.push_back({u"System", u"System log", 1, 2, 0, 1, 123456789012ull});
  a.SetComputerInfo(std::make_unique<cmr::ComputerInfoRecord>(cmr::ComputerInfoRecord{6, 1, 3, u"pc.dom", u"DOM"}));
  CTaskEventLog b;
  b.LogInfoList.clear();
  b.LoadFromString(a.SaveToString());
  EXPECT_EQ(Xml(b), Xml(a));
  EXPECT_EQ(b.LastRecordNumber, 0x80000001u);
  EXPECT_EQ(b.Warning, a.Warning);
  EXPECT_EQ(b.LogName, u"Application");
  ASSERT_EQ(b.LogNames.size(), 2u);
  ASSERT_TRUE(b.ComputerInfo);
  EXPECT_EQ(b.ComputerInfo->Domain, u"DOM");
  EXPECT_EQ(b.LogInfoList.at(0).NumOfRecords, 123456789012ull);
  EXPECT_EQ(b.InstanceId, a.InstanceId);
}

TEST(TaskConfig, LoadingRulesAndBadDocuments) {
  CTaskEventLog c;
  c.LoadFromString(
      Doc("<LogName>A</LogName><LogName>B</LogName><PolicyAuditEventType>5</PolicyAuditEventType>"
          "<LastTimeWritten>-1</LastTimeWritten><ErrorStatus/><Unknown>1</Unknown>"));
  EXPECT_EQ(c.LogName, u"B");
  EXPECT_EQ(c.LogNames, (std::vector<std::u16string>{u"A", u"B"}));
  ASSERT_EQ(c.PolicyAuditEventTypes.size(), 1u);
  EXPECT_EQ(c.PolicyAuditEventTypes[0], std::make_pair(5, 5));
  EXPECT_EQ(c.LastTimeWritten, 0xFFFFFFFFu);
  EXPECT_EQ(c.ErrorStatus, 0);     // an ErrorStatus without text reads as 0
  EXPECT_EQ(c.UserLanguage, 0);    // no UserLanguage element
  EXPECT_TRUE(c.Modules.empty());  // no Modules element after a load
  std::string again = Xml(c);
  EXPECT_NE(again.find("<LogName>A</LogName>\n    <LogName>B</LogName>"), std::string::npos);

  // The log info list is read as found, added to on every load.
  std::u16string doc = Doc(
      "<LogInfoList><LogInfo><LogEnabled>2</LogEnabled><LogName>L</LogName><NumberOfRecords/></LogInfo></LogInfoList>");
  CTaskEventLog twice;
  twice.LoadFromString(doc);
  twice.LoadFromString(doc);
  ASSERT_EQ(twice.LogInfoList.size(), 2u);
  EXPECT_EQ(twice.LogInfoList[0].Enabled, 0);  // only "1" enables
  EXPECT_EQ(twice.LogInfoList[0].Name, u"L");

  // Bad documents.
  EXPECT_THROW(c.LoadFromString(u"<Task/>"), std::invalid_argument);
  EXPECT_EQ(ThrownText<std::invalid_argument>([&] { c.LoadFromString(u"<Root></Root>"); }), "Invalid task config.");
  EXPECT_NO_THROW(c.LoadFromString(u"<AnyName><LogName>x</LogName></AnyName>"));
  EXPECT_THROW(c.LoadFromString(u"<Task><LogName>x</Task>"), std::runtime_error);
  EXPECT_EQ(ThrownText([&] { c.LoadFromString(Doc("<GUID>{bad}</GUID>")); }), "Failed to parse GUID");
}

class TaskConfigFile : public ::testing::Test {
 protected:
  void SetUp() override { path_ = Utf8ToUtf16((dir_ / "task.xml").string()); }
#ifndef _WIN32
  void TearDown() override { host::ClearFaults(); }
#endif
  std::string Read() { return testsupport::ReadFileText(dir_ / "task.xml"); }
  testsupport::TempDir temp_;
  fs::path dir_{temp_.path()};
  std::u16string path_;
};

TEST_F(TaskConfigFile, SaveAndLoad) {
  CTaskEventLog a;
  a.LogName = u"Security";
  a.SaveToFile(path_);
  CTaskEventLog b;
  b.LoadFromFile(path_);
  EXPECT_EQ(b.LogName, u"Security");
  EXPECT_FALSE(fs::exists(Utf16ToUtf8(cmr::ReplacementPath(path_))));
  EXPECT_EQ(ThrownText([&] { b.LoadFromFile(path_ + u".missing"); }), "task config file open error");
  // Cut inside a UTF-8 sequence, a document after the NUL that ends the text.
  std::ofstream(dir_ / "task.xml", std::ios::binary) << "<Task><LogName>a\xCE" << '\0' << "</LogName></Task>";
  EXPECT_THROW(b.LoadFromFile(path_), std::runtime_error);
}

#ifndef _WIN32
// Fault injection is the simulated host's.
TEST_F(TaskConfigFile, FailedSaveLeavesTheOldFileIntact) {
  CTaskEventLog a;
  a.LogName = u"Old";
  a.SaveToFile(path_);
  std::string before = Read();
  a.LogName = u"New";
  host::InjectFault("MoveFileExW", 1, ERROR_DISK_FULL);
  EXPECT_THROW(a.SaveToFile(path_), std::runtime_error);
  EXPECT_EQ(Read(), before);
  EXPECT_FALSE(fs::exists(Utf16ToUtf8(cmr::ReplacementPath(path_))));
  host::InjectFault("_wfsopen", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(ThrownText([&] { a.SaveToFile(path_); }), "xml config file save error");
  EXPECT_EQ(Read(), before);
}
#endif

}  // namespace
