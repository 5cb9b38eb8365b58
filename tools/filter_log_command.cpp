// "filter log add" and "filter log remove": the logs a filter file names.
#include "base/com/bstr.h"
#include "base/text.h"
#include "tools/com_calls.h"
#include "tools/command.h"
#include "tools/filter_client.h"
#include "tools/options.h"
#include "tools/session.h"

namespace {

int EditLogs(const char* name, bool add, const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {tool::kMachineOption}, &error)) return tool::UsageError(name, error);
  if (options.Positional().size() != 2) return tool::UsageError(name, "give the filter file and a log name");
  if (int bad = tool::CheckFilterFile(options.Positional()[0], !add, &error)) return tool::Refuse(name, bad, error);
  std::u16string log = cmr::Utf8ToUtf16(options.Positional()[1]);
  tool::Session session;
  if (!session.Open(name, options)) return 1;
  tool::FilterFile file;
  std::vector<std::u16string> logs;
  if (!file.Open(session.component(), options.Positional()[0], &error) || !file.Logs(&logs, &error))
    return tool::Failure(name, error);
  bool present = false;
  for (const auto& l : logs) present = present || cmr::EqualNoCase(l, log);
  if (add && present) return tool::Failure(name, "the file already names the log " + options.Positional()[1]);
  if (!add && !present) return tool::Failure(name, "the file does not name the log " + options.Positional()[1]);
  tool::Calls call(&error);
  if (add) {
    com::Ptr<IECEventLog> entry;
    if (call("IECFilters::AddLog", file->AddLog(entry.Receive())))
      call("IECEventLog::Name", entry->put_Name(com::Bstr(log).Get()));
  } else {
    call("IECFilters::RemoveLog", file->RemoveLog(com::Bstr(log).Get()));
  }
  if (!call.ok() || !file.Commit(&error)) return tool::Failure(name, error);
  return 0;
}

int RunLogAdd(const tool::Args& args) { return EditLogs("filter log add", true, args); }
int RunLogRemove(const tool::Args& args) { return EditLogs("filter log remove", false, args); }

}  // namespace

EC_COMMAND("filter log add", "name a log in a filter file",
           "usage: eventcollector filter log add FILE LOG\n\n"
           "Adds the log LOG to the logs that the filter file names, and writes the file.",
           RunLogAdd);
EC_COMMAND("filter log remove", "remove a log from a filter file",
           "usage: eventcollector filter log remove FILE LOG\n\n"
           "Removes the log LOG (any case) from the logs the filter file names, and writes\n"
           "the file; a log the file does not name is an error.",
           RunLogRemove);
