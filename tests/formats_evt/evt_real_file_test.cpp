#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

#include "platform/api/utf.h"
#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/evtx_value.h"
#include "platform/formats/file_bytes.h"
#include "tests/support/shell_command.h"
#include "tests/support/testdata.h"

using namespace formats;

namespace {

const std::string kSystemLog = testsupport::TestdataPath("logs/SysEvent.Evt");

// The real System log of a Windows XP computer, copied while the log was in
// use: dirty, wrapped, with a record split at the end of the file.
class RealEvtFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kSystemLog)) GTEST_SKIP() << "test data absent: " << kSystemLog;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(kSystemLog, &bytes_, &error)) << error;
    file_ = ReadEvtFile(bytes_);
  }

  std::vector<uint8_t> bytes_;
  EvtFile file_;
};

TEST_F(RealEvtFile, ReadsEveryRecordOfADirtyWrappedLog) {
  EXPECT_EQ(file_.Report(), "");
  EXPECT_TRUE(file_.headerValid);
  EXPECT_TRUE(file_.Dirty());
  EXPECT_TRUE(file_.Wrapped());
  EXPECT_TRUE(file_.eofFound);
  // The stale header ends earlier than the end-of-file record.
  EXPECT_LT(file_.header.CurrentRecordNumber, file_.currentRecordNumber);
  ASSERT_FALSE(file_.records.empty());
  EXPECT_EQ(file_.records.front().offset, file_.startOffset);
  bool split = false;
  for (size_t i = 0; i < file_.records.size(); ++i) {
    EXPECT_EQ(file_.records[i].Number(), file_.oldestRecordNumber + i);
    split = split || file_.records[i].offset + file_.records[i].bytes.size() > bytes_.size();
  }
  EXPECT_TRUE(split);
}

// Taking the real file over keeps its bytes apart from the header, which is
// made clean, and new records continue its numbering.
TEST_F(RealEvtFile, AppendingContinuesTheRealLog) {
  auto log = EvtLogFile::FromImage(bytes_);
  ASSERT_TRUE(log.has_value());
  EXPECT_TRUE(std::equal(bytes_.begin() + 0x30, bytes_.end(), log->Image().begin() + 0x30));
  EXPECT_EQ(log->CurrentRecordNumber(), file_.currentRecordNumber);
  EvtRecordFields fields;
  fields.source = u"Test";
  fields.computer = u"WKS";
  fields.strings = {u"appended"};
  const auto result = log->Append(fields);
  ASSERT_EQ(result.status, EvtAppendStatus::Written);
  const EvtFile after = ReadEvtFile(log->Image());
  EXPECT_EQ(after.Report(), "");
  EXPECT_FALSE(after.Dirty());
  EXPECT_EQ(after.records.back().View().Strings(), std::vector<std::u16string>{u"appended"});
  EXPECT_EQ(after.records.back().Number(), file_.currentRecordNumber);
  // The new record overwrote the oldest ones it needed, and no others.
  EXPECT_EQ(after.records.size() + result.overwritten, file_.records.size() + 1);
}

// What evtexport (libevt-utils) prints for one record.
struct Exported {
  std::map<std::string, std::string> values;  // "Source name" -> "LSASRV", ...
  std::vector<std::string> strings;
};

// Records are blocks that start with "Event number"; a block's lines are
// "Name<tabs>: value", and "String: N" values may span lines.
std::vector<Exported> ParseEvtexport(const std::string& text) {
  const std::string lead = "\nEvent number\t\t\t: ";
  std::vector<Exported> records;
  for (size_t at = text.find(lead); at != std::string::npos;) {
    const size_t next = text.find(lead, at + 1);
    std::string block = "Event number\t\t\t: " + text.substr(at + lead.size(), next - at - lead.size());
    while (!block.empty() && block.back() == '\n') block.pop_back();
    Exported record;
    const size_t stringsAt = block.find("\nString: 1\t");
    std::string fixed = block.substr(0, stringsAt);
    for (size_t pos = 0; pos < fixed.size();) {
      const size_t eol = std::min(fixed.find('\n', pos), fixed.size());
      const std::string line = fixed.substr(pos, eol - pos);
      const size_t colon = line.find(": ");
      if (colon != std::string::npos) {
        const size_t nameEnd = line.find('\t');
        record.values[line.substr(0, nameEnd)] = line.substr(colon + 2);
      }
      pos = eol + 1;
    }
    for (size_t k = 1; stringsAt != std::string::npos; ++k) {
      const std::string marker = "\nString: " + std::to_string(k) + "\t";
      const size_t begin = block.find(marker);
      if (begin == std::string::npos) break;
      const size_t value = block.find("\t: ", begin) + 3;
      const size_t end = block.find("\nString: " + std::to_string(k + 1) + "\t", value);
      record.strings.push_back(block.substr(value, end == std::string::npos ? std::string::npos : end - value));
    }
    records.push_back(std::move(record));
    at = next;
  }
  return records;
}

std::string UtcText(uint32_t seconds) {
  const std::time_t t = seconds;
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &t);
#else
  gmtime_r(&t, &tm);
#endif
  char text[64];
  std::strftime(text, sizeof text, "%b %d, %Y %H:%M:%S UTC", &tm);
  return text;
}

TEST_F(RealEvtFile, AgreesWithEvtexport) {
  if (!testsupport::ToolAvailable("evtexport")) GTEST_SKIP() << "evtexport (libevt-utils) absent";
  std::string output;
  testsupport::RunCommand("evtexport '" + kSystemLog + "' 2>/dev/null", output);
  const auto exported = ParseEvtexport(output);
  ASSERT_EQ(exported.size(), file_.records.size());
  size_t sids = 0;
  for (size_t i = 0; i < exported.size(); ++i) {
    const auto& e = exported[i];
    const auto view = file_.records[i].View();
    const auto h = view.Header();
    ASSERT_EQ(e.values.at("Event number"), std::to_string(h.RecordNumber)) << i;
    EXPECT_EQ(e.values.at("Creation time"), UtcText(h.TimeGenerated)) << h.RecordNumber;
    EXPECT_EQ(e.values.at("Written time"), UtcText(h.TimeWritten)) << h.RecordNumber;
    EXPECT_EQ(e.values.at("Source name"), plat::Utf16ToUtf8(view.Source())) << h.RecordNumber;
    EXPECT_EQ(e.values.at("Computer name"), plat::Utf16ToUtf8(view.Computer())) << h.RecordNumber;
    EXPECT_EQ(std::stoul(e.values.at("Event identifier"), nullptr, 16), h.EventID) << h.RecordNumber;
    EXPECT_EQ(e.values.at("Event category"), std::to_string(h.EventCategory)) << h.RecordNumber;
    EXPECT_NE(e.values.at("Event type").find("(" + std::to_string(h.EventType) + ")"), std::string::npos);
    const auto strings = view.Strings();
    ASSERT_EQ(e.strings.size(), strings.size()) << h.RecordNumber;
    for (size_t k = 0; k < strings.size(); ++k)
      EXPECT_EQ(e.strings[k], plat::Utf16ToUtf8(strings[k])) << h.RecordNumber << " string " << k + 1;
    const auto sid = e.values.find("User security identifier");
    EXPECT_EQ(sid != e.values.end(), !view.Sid().empty()) << h.RecordNumber;
    if (sid != e.values.end()) {
      EXPECT_EQ(sid->second, plat::Utf16ToUtf8(EvtxSidText(view.Sid()))) << h.RecordNumber;
      ++sids;
    }
  }
  EXPECT_GT(sids, 0u);
}

}  // namespace
