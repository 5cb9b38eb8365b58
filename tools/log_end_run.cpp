#include "tools/log_end_run.h"

#include "base/text.h"

namespace tool {

bool RunAtLogEnd(Session& session, ITask* task, ConfigSettings settings, LogEndRun* run, std::string* error) {
  settings.seekLastFirstRun = true;
  std::u16string xml;
  std::string configFile = session.ScratchFile("task.xml");
  if (!BuildConfig(session.component(), settings, &xml, error) || !WriteTextFile(configFile, xml, error)) return false;
  RunSwitches switches;
  switches.savePath = WidePath(session.ScratchFile("out"));
  run->hr = RunTask(task, session.machine().ComputerArgument(), WidePath(configFile), switches, &run->error);
  bool read = ReadTextFile(configFile, &xml) && ReadResults(session.component(), xml, &run->results, error);
  if (FAILED(run->hr)) {
    // The task records why it failed in the configuration file.
    if (read && !run->results.errorText.empty()) run->error = cmr::Utf16ToUtf8(run->results.errorText);
    return true;
  }
  if (!read && error->empty()) *error = "cannot read the results in " + configFile;
  return read;
}

}  // namespace tool
