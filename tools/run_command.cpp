// "run": ITask::Run with a configuration file, then its results.
#include <cstdio>

#include "base/text.h"
#include "tools/command.h"
#include "tools/log_list.h"
#include "tools/option_values.h"
#include "tools/options.h"
#include "tools/progress.h"
#include "tools/session.h"
#include "tools/task_client.h"

namespace {

constexpr char kName[] = "run";

const std::vector<tool::OptionSpec> kSpecs = {
    {"save-path", true},      {"product", true},     {"process-backups", false},
    {"delete-backups", true}, {"buffer-size", true}, tool::kMachineOption,
};

bool Switches(const tool::Options& o, tool::RunSwitches* s, std::string* error) {
  if (o.Has("save-path")) s->savePath = tool::WidePath(o.Value("save-path"));
  if (o.Has("product")) s->product = cmr::Utf8ToUtf16(o.Value("product"));
  s->processBackups = o.Has("process-backups");
  uint32_t n = 0;
  if (o.Has("delete-backups")) {
    if (!tool::CheckNumber("delete-backups", o.Value("delete-backups"), 0xFFFF, &n, error)) return false;
    s->deleteBackupsAfterHours = static_cast<uint16_t>(n);
  }
  if (o.Has("buffer-size")) {
    if (!tool::ParseNumber(o.Value("buffer-size"), &n) || n == 0)
      return *error = tool::BadValue("buffer-size", o.Value("buffer-size"), "takes a number of bytes from 1"), false;
    s->bufferSize = n;
  }
  return true;
}

void Line(const char* label, const std::string& value) { std::printf("%-16s %s\n", label, value.c_str()); }

void PrintResults(const tool::TaskResults& r) {
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(r.errorCode));
  Line("Log", cmr::Utf16ToUtf8(r.eventLog));
  Line("ErrorCode", r.errorCode == 0 ? "0" : code);
  Line("ErrorText", cmr::Utf16ToUtf8(r.errorText));
  Line("Warning", cmr::Utf16ToUtf8(r.warning));
  Line("LastEventFound", r.lastEventFound ? "yes" : "no");
  Line("EventFileName", cmr::Utf16ToUtf8(r.eventFileName));
  if (r.hasComputerInfo) {
    char facts[96];
    std::snprintf(facts, sizeof(facts), " (version %u.%u, type 0x%X, domain ", r.versionMajor, r.versionMinor, r.type);
    Line("Computer", cmr::Utf16ToUtf8(r.fullName) + facts + cmr::Utf16ToUtf8(r.domain) + ")");
  }
  if (r.eventLog == u"*") tool::PrintLogTable(r.logs);
}

int RunRun(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, kSpecs, &error)) return tool::UsageError(kName, error);
  if (options.Positional().size() != 1) return tool::UsageError(kName, "give one configuration file");
  tool::RunSwitches switches;
  if (!Switches(options, &switches, &error)) return tool::UsageError(kName, error);
  const std::string& configFile = options.Positional()[0];
  if (int bad = tool::CheckInputFile(configFile, true, &error)) return tool::Refuse(kName, bad, error);
  tool::Progress progress;
  progress.Show("Loading the machine...");
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  progress.Show("Running the task...");
  HRESULT hr = tool::RunTask(session.component(), session.machine().ComputerArgument(), tool::WidePath(configFile),
                             switches, &error);
  progress.Clear();
  tool::TaskResults results;
  std::u16string xml;
  std::string readError;
  bool read = tool::ReadTextFile(configFile, &xml) && tool::ReadResults(session.component(), xml, &results, &readError);
  if (read) PrintResults(results);
  // A run that got as far as writing its results tells its failure there.
  bool reported = read && results.errorCode == hr && !results.errorText.empty();
  if (FAILED(hr) && !reported) return tool::Failure(kName, "the task failed: " + error);
  if (!read) return tool::Failure(kName, readError.empty() ? "cannot read the results" : readError);
  if (results.errorCode != 0) return tool::Failure(kName, "the task failed: " + cmr::Utf16ToUtf8(results.errorText));
  return 0;
}

}  // namespace

EC_COMMAND("run", "run a task with a configuration file and show its results",
           "usage: eventcollector run CONFIG [options]\n\n"
           "Runs the component's Task on the computer (the demonstration machine, or the\n"
           "machine folder given with --machine) with the configuration file CONFIG (see\n"
           "'eventcollector config'). The task writes its results into CONFIG; they are\n"
           "then read back through the TaskResult object and printed. The exit status is 0\n"
           "only when the task succeeded; otherwise its error text goes to stderr.\n\n"
           "  --save-path DIR        folder of the event files (default: the configuration's)\n"
           "  --product NAME         the product name of the task\n"
           "  --process-backups      read the log's archived backups too\n"
           "  --delete-backups HOURS delete fully read backups older than HOURS\n"
           "  --buffer-size BYTES    read buffer size (default 65536)\n"
           "  --machine DIR          a machine folder instead of the demonstration machine",
           RunRun);
