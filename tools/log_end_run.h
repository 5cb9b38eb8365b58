// A task run on one log that collects nothing: the task positions at the
// log's most recent record (SeekLastFirstRun with no stored position) and
// saves into the session's scratch folder. The side questions of a log
// (statistics, the audit check that follows a collection) ride on it.
#pragma once

#include <string>

#include "tools/session.h"
#include "tools/task_client.h"

namespace tool {

struct LogEndRun {
  HRESULT hr = E_FAIL;  // ITask::Run's result
  std::string error;    // its failure text
  TaskResults results;  // the results it wrote (read when the run succeeded)
};

// Runs `task` with `settings` (the log, audit requirements, ...) on the
// session's computer. False with `error` when the configuration cannot be
// built, written or read back; a failed run is told in `run`.
bool RunAtLogEnd(Session& session, ITask* task, ConfigSettings settings, LogEndRun* run, std::string* error);

}  // namespace tool
