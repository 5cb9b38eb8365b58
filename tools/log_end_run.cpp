#include "tools/log_end_run.h"

namespace tool {

bool RunAtLogEnd(Session& session, ITask* task, ConfigSettings settings, LogEndRun* run, std::string* error) {
  settings.seekLastFirstRun = true;
  std::u16string xml;
  std::string configFile = session.ScratchFile("task.xml");
  if (!BuildConfig(session.component(), settings, &xml, error) || !WriteTextFile(configFile, xml, error)) return false;
  RunSwitches switches;
  switches.savePath = WidePath(session.ScratchFile("out"));
  run->hr = RunTask(task, session.machine().ComputerArgument(), WidePath(configFile), switches, &run->error);
  if (FAILED(run->hr)) return true;
  if (!ReadTextFile(configFile, &xml)) {
    *error = "cannot read the results in " + configFile;
    return false;
  }
  return ReadResults(session.component(), xml, &run->results, error);
}

}  // namespace tool
