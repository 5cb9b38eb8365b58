// The demonstration machine: a workstation with the classic logs
// Application, System and Security (kept in .evtx files, as since Windows
// Vista; Security with an automatic backup archive beside it), the Task
// Scheduler's operational channel and a disabled analytic channel, the
// registry entries of the event-log service, its channels and publishers,
// the profiles of the local users that the events name, and an audit
// policy of logon successes and failures only, and the message files of the
// security auditing and Task Scheduler publishers (built with the project
// from tools/demo/). Everything is written with the project's own writers,
// at fixed times and with fixed GUIDs, so that every machine made is the
// same.
#pragma once

#include <string>

namespace tool {

// The computer name of the demonstration machine.
inline constexpr char16_t kDemoComputerName[] = u"WORKSTATION1";

// Writes the machine as a machine folder into `dir` (created when missing):
// the registry export "machine.reg" and the drive folder "C". False with
// `error` when a file cannot be written.
bool WriteDemoMachine(const std::string& dir, std::string* error);

}  // namespace tool
