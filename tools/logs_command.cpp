// "logs": the logs of the computer, from a task run with the log "*".
#include <cstdio>

#include "base/text.h"
#include "tools/command.h"
#include "tools/log_list.h"
#include "tools/options.h"
#include "tools/progress.h"
#include "tools/session.h"
#include "tools/task_client.h"

namespace {

constexpr char kName[] = "logs";

int RunLogs(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {{"json", false}, tool::kMachineOption}, &error)) return tool::UsageError(kName, error);
  if (!options.Positional().empty())
    return tool::UsageError(kName, "unexpected argument '" + options.Positional()[0] + "'");
  tool::Progress progress;
  progress.Show("Loading the machine...");
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  tool::ConfigSettings settings;
  settings.log = u"*";
  std::u16string xml;
  std::string configFile = session.ScratchFile("logs.xml");
  if (!tool::BuildConfig(session.component(), settings, &xml, &error) ||
      !tool::WriteTextFile(configFile, xml, &error)) {
    return tool::Failure(kName, error);
  }
  progress.Show("Listing the logs...");
  HRESULT hr =
      tool::RunTask(session.component(), session.machine().ComputerArgument(), tool::WidePath(configFile), {}, &error);
  progress.Clear();
  if (FAILED(hr)) return tool::Failure(kName, "the task failed: " + error);
  tool::TaskResults results;
  if (!tool::ReadTextFile(configFile, &xml) || !tool::ReadResults(session.component(), xml, &results, &error))
    return tool::Failure(kName, error.empty() ? "cannot read the results" : error);
  if (results.errorCode != 0) return tool::Failure(kName, "listing failed: " + cmr::Utf16ToUtf8(results.errorText));
  if (options.Has("json")) tool::PrintLogJson(results.logs);
  else tool::PrintLogTable(results.logs);
  return 0;
}

}  // namespace

EC_COMMAND("logs", "list the logs of the computer",
           "usage: eventcollector logs [--json] [--machine DIR]\n\n"
           "Runs a task with the log \"*\" on the computer (the demonstration machine, or\n"
           "the machine folder DIR) and prints the log list of its results as a table:\n"
           "name, display name, the interface that lists the log (API) and the one used\n"
           "(USED; classic or wevt), whether it is enabled, and its number of records.\n"
           "Analytic and debug channels are left out, as the task leaves them out.\n"
           "With --json, one JSON object per log.",
           RunLogs);
