// ITask::GetEventLogStatistics: the oldest and newest record and the full
// flag of the task's log, each failing step with its text, the outputs of
// earlier steps kept, and the log closed on every path.
#include <optional>

#include "base/error_report.h"
#include "platform/api/eventlog.h"
#include "platform/formats/evt_layout.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/classic/classic_readers.h"
#include "tests/support/classic_host.h"
#include "tests/task/task_fixture.h"

using namespace cmr;

namespace {

constexpr LONG kUntouched = 0x5EED;

struct Statistics {
  HRESULT hr = E_UNEXPECTED;
  std::u16string error;
  LONG oldestDate = kUntouched, oldestId = kUntouched, newestDate = kUntouched, newestId = kUntouched;
  VARIANT_BOOL full = 7;
};

formats::EvtRecordFields Record(uint32_t eventId, uint32_t timeWritten) {
  formats::EvtRecordFields f;
  f.source = u"TestSource";
  f.eventId = eventId;
  f.timeWritten = timeWritten;
  f.strings = {std::u16string(200, u'x')};
  return f;
}

class LogStatistics : public tasktest::TaskFixture {
 protected:
  void MakeLog(const std::u16string& name, DWORD maxSize = 0x80000, DWORD retention = 0) {
    testsupport::MakeClassicLog(Local(), name, maxSize, retention);
  }
  // Appends records with ids and times from `first` on until `count` are
  // written or the log refuses one; returns how many were written.
  uint32_t Fill(const std::u16string& log, uint32_t first, uint32_t count) {
    uint32_t written = 0;
    while (written < count &&
           host::AppendClassicRecord(Local(), log, Record(first + written, 1600000000 + first + written)))
      ++written;
    return written;
  }
  // The statistics of a task that ran with the log (none: a task that never
  // ran), with a fault injected after the run when one is named.
  Statistics Query(std::optional<std::u16string> log, const char* fault = nullptr) {
    CTask task;
    if (log) {
      cmr::CTaskEventLog config;
      config.LogName = *log;
      WriteConfig(config);
      Run(task, dir_.Wide("/out").c_str());
    }
    host::ClearFaults();
    if (fault) host::InjectFault(fault, 1, ERROR_ACCESS_DENIED);
    Statistics s;
    tasktest::Bstr computer(u"");
    s.hr = task.GetEventLogStatistics(computer.b, &s.oldestDate, &s.oldestId, &s.newestDate, &s.newestId, &s.full);
    s.error = cmr::GetErrorText(s.hr);
    host::Lock lock;
    EXPECT_EQ(host::ClassicReaders().Count(), 0u) << "the log is closed";
    return s;
  }
};

TEST_F(LogStatistics, OldestNewestAndFull) {
  MakeLog(u"Application");
  Fill(u"Application", 10, 3);
  MakeLog(u"Wrapped", 0x10000, 0);  // overwrites as needed: the oldest records are gone
  uint32_t wrapped = Fill(u"Wrapped", 100, 400);
  ASSERT_EQ(wrapped, 400u);
  MakeLog(u"Full", 0x10000, formats::kEvtRetainForever);
  uint32_t full = Fill(u"Full", 1, 1000);
  ASSERT_LT(full, 1000u);

  const struct {
    const char* name;
    std::optional<std::u16string> log;
    LONG oldest, newest;  // oldest 0: overwritten, past the first written
    VARIANT_BOOL full;
  } cases[] = {
      {"Application", u"Application", 10, 12, VARIANT_FALSE},
      {"wrapped", u"Wrapped", 0, 499, VARIANT_FALSE},
      {"full", u"Full", 1, static_cast<LONG>(full), VARIANT_TRUE},
      {"a task that never ran opens the log named \"\", which opens Application", std::nullopt, 10, 12, VARIANT_FALSE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Statistics s = Query(c.log);
    EXPECT_EQ(s.hr, S_OK) << cmr::Utf16ToUtf8(s.error);
    if (c.oldest) EXPECT_EQ(s.oldestId, c.oldest);
    else EXPECT_GT(s.oldestId, 100);
    EXPECT_EQ(s.oldestDate, 1600000000 + s.oldestId);  // record n was written at 1600000000 + n
    EXPECT_EQ(s.newestId, c.newest);
    EXPECT_EQ(s.newestDate, 1600000000 + c.newest);
    EXPECT_EQ(s.full, c.full);
  }
}

TEST_F(LogStatistics, FailingStepsKeepTheOutputsOfEarlierOnes) {
  MakeLog(u"Application");
  Fill(u"Application", 10, 3);
  MakeLog(u"Empty");
  const struct {
    const char* name;
    const char* fault;
    std::u16string log;
    const char16_t* error;
    bool oldest, newest;
  } cases[] = {
      {"empty log", nullptr, u"Empty", u"Empty event log is empty, most likely settings are not correct", false, false},
      {"open fails", "OpenEventLogW", u"Application", u"Failed to open Application event log.", false, false},
      {"first read fails", "ReadEventLogW", u"Application", u"Application event log read failure.", false, false},
      {"count fails", "GetNumberOfEventLogRecords", u"Application",
       u"Cannot determine the number of event log records.", true, false},
      {"status fails", "GetEventLogInformation", u"Application", u"Failed to obtain event log status.", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Statistics s = Query(c.log, c.fault);
    EXPECT_EQ(s.hr, E_FAIL);
    EXPECT_EQ(s.error, c.error + std::u16string(c.fault ? u". Error details: Access is denied." : u"") +
                           u" (Error number: 0x80004005)");
    EXPECT_EQ(std::make_pair(s.oldestId != kUntouched, s.oldestDate != kUntouched), std::make_pair(c.oldest, c.oldest));
    EXPECT_EQ(std::make_pair(s.newestId != kUntouched, s.newestDate != kUntouched), std::make_pair(c.newest, c.newest));
    EXPECT_EQ(s.full, 7);
  }
}

TEST_F(LogStatistics, NullArgumentsAreAnInternalError) {
  CTask task;
  LONG v = 0;
  VARIANT_BOOL full = 0;
  tasktest::Bstr computer(u"");
  EXPECT_EQ(task.GetEventLogStatistics(nullptr, &v, &v, &v, &v, &full), E_FAIL);
  EXPECT_EQ(cmr::GetErrorText(E_FAIL), u"Internal error. (Error number: 0x80004005)");
  EXPECT_EQ(task.GetEventLogStatistics(computer.b, &v, &v, nullptr, &v, &full), E_FAIL);
  EXPECT_EQ(task.GetEventLogStatistics(computer.b, &v, &v, &v, &v, nullptr), E_FAIL);
  EXPECT_EQ(host::CallCount("OpenEventLogW"), 0u);
}

TEST_F(LogStatistics, EveryStepIsTraced) {
  MakeLog(u"Application");
  Fill(u"Application", 1, 2);
  ASSERT_EQ(Query(u"Application").hr, S_OK);
  std::string trace = TraceText();
  size_t at = 0;
  for (const char* line : {"GetEventLogStatistics - started for ", "allocating buffer...", "reading first record...",
                           "getting number of records...", "reading last record...", "getting event log info...",
                           "GetEventLogStatistics - finished"}) {
    size_t found = trace.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found;
  }
}

}  // namespace
