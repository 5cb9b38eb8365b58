// One incremental collection of a log or an event file into an output
// folder, through the component: the task configuration (with the stored
// position) is kept in that folder, so that each call collects only what
// is new since the one before.
#pragma once

#include <cstdint>
#include <string>

#include "tools/session.h"
#include "tools/task_client.h"

namespace tool {

struct CollectRequest {
  std::u16string log;  // the log name (also the name given for a file)
  std::string file;    // an event file to collect instead of a log ("" for none)
  std::string outDir;  // output folder (created when missing)
  RunSwitches switches;
};

struct CollectOutcome {
  std::string configFile;  // the task configuration kept in the output folder
  std::string eventFile;   // full path; empty when nothing was new
  uint32_t firstRecord = 0, firstTime = 0, lastRecord = 0, lastTime = 0;
  size_t records = 0;  // entries in the event file
  std::string warning;
};

// Runs the task once. False with `error` when the run failed (nothing is
// stored then: the next call collects the same records).
bool CollectOnce(Session& session, const CollectRequest& request, CollectOutcome* outcome, std::string* error);

// Prints what a collection brought: count, positions, event file, warning.
void PrintOutcome(const CollectOutcome& outcome);

}  // namespace tool
