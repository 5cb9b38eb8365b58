// "stats": the oldest and newest record of a log and whether it is full,
// from ITask::GetEventLogStatistics.
#include <cstdio>
#include <ctime>

#include "base/com/bstr.h"
#include "base/output_text.h"
#include "base/text.h"
#include "tools/command.h"
#include "tools/log_end_run.h"
#include "tools/options.h"

namespace {

constexpr char kName[] = "stats";

struct LogStatistics {
  LONG oldestDate = 0, oldestId = 0, newestDate = 0, newestId = 0;
  VARIANT_BOOL full = VARIANT_FALSE;
};

std::string UtcText(LONG seconds) {
  std::time_t t = static_cast<std::time_t>(static_cast<uint32_t>(seconds));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
  return text;
}

// The event id as Windows shows it (the low 16 bits), with the whole value
// when its upper bits are set.
std::string EventIdText(LONG id) {
  uint32_t value = static_cast<uint32_t>(id);
  std::string text = std::to_string(value & 0xFFFF);
  if (value > 0xFFFF) {
    char whole[16];
    std::snprintf(whole, sizeof whole, " (0x%08X)", value);
    text += whole;
  }
  return text;
}

void Print(const std::u16string& log, const LogStatistics& s, bool json) {
  if (json) {
    std::printf(
        "{\"Log\":%s,\"OldestRecordDate\":%u,\"OldestEventId\":%u,\"NewestRecordDate\":%u,"
        "\"NewestEventId\":%u,\"EventLogFull\":%s}\n",
        cmr::JsonString(log).c_str(), static_cast<uint32_t>(s.oldestDate), static_cast<uint32_t>(s.oldestId),
        static_cast<uint32_t>(s.newestDate), static_cast<uint32_t>(s.newestId), s.full ? "true" : "false");
    return;
  }
  std::printf("log     %s\n", cmr::Utf16ToUtf8(log).c_str());
  std::printf("oldest  %s  event %s\n", UtcText(s.oldestDate).c_str(), EventIdText(s.oldestId).c_str());
  std::printf("newest  %s  event %s\n", UtcText(s.newestDate).c_str(), EventIdText(s.newestId).c_str());
  std::printf("full    %s\n", s.full ? "yes" : "no");
}

int RunStats(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {{"json", false}, tool::kMachineOption}, &error)) return tool::UsageError(kName, error);
  if (options.Positional().size() != 1) return tool::UsageError(kName, "give one log name");
  std::u16string log = cmr::Utf8ToUtf16(options.Positional()[0]);
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  com::Ptr<ITask> task;
  HRESULT hr = session.component().Create(CLSID_Task, task);
  if (FAILED(hr)) return tool::Failure(kName, "creating a Task failed: " + tool::FailureText(hr));
  tool::ConfigSettings settings;
  settings.log = log;
  tool::LogEndRun run;
  if (!tool::RunAtLogEnd(session, task.Get(), settings, &run, &error)) return tool::Failure(kName, error);
  LogStatistics s;
  com::Bstr computer(session.machine().ComputerArgument());
  SetErrorInfo(0, nullptr);
  hr = task->GetEventLogStatistics(computer.Get(), &s.oldestDate, &s.oldestId, &s.newestDate, &s.newestId, &s.full);
  if (FAILED(hr)) {
    std::string why = tool::FailureText(hr);
    if (FAILED(run.hr)) why += " (the task's run failed as well: " + run.error + ")";
    return tool::Failure(kName, why);
  }
  Print(log, s, options.Has("json"));
  return 0;
}

}  // namespace

EC_COMMAND("stats", "the oldest and newest record of a log and whether it is full",
           "usage: eventcollector stats LOG [--json] [--machine DIR]\n\n"
           "Runs a task on the log LOG of the computer (the demonstration machine, or the\n"
           "machine folder DIR) that positions at its most recent record and so collects\n"
           "nothing, then asks the same task object for the log's statistics\n"
           "(ITask::GetEventLogStatistics, through the classic event-log interface): the\n"
           "time written (UTC) and event id of the oldest and the newest record, and\n"
           "whether the log is full (it keeps its records and has reached its size).\n"
           "A name the classic interface does not know opens the Application log, as on\n"
           "Windows. With --json, one JSON object: times as seconds since 1970, event ids\n"
           "as the whole 32-bit value.",
           RunStats);
