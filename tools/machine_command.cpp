// "machine init DIR": the demonstration machine written as a machine folder.
#include <cstdio>
#include <filesystem>

#include "tools/command.h"
#include "tools/demo_machine.h"
#include "tools/options.h"

namespace {

constexpr char kName[] = "machine init";

int RunMachineInit(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {}, &error)) return tool::UsageError(kName, error);
  if (options.Positional().size() != 1) return tool::UsageError(kName, "give one folder");
  const std::string& dir = options.Positional()[0];
  std::error_code ec;
  if (std::filesystem::exists(dir, ec) &&
      (!std::filesystem::is_directory(dir, ec) || !std::filesystem::is_empty(dir, ec))) {
    return tool::Failure(kName, dir + " exists and is not an empty folder; nothing was written");
  }
  if (!tool::WriteDemoMachine(dir, &error)) return tool::Failure(kName, error);
  std::printf("Wrote the demonstration machine to %s\n", dir.c_str());
  return 0;
}

}  // namespace

EC_COMMAND("machine init", "write the demonstration machine as a machine folder",
           "usage: eventcollector machine init DIR\n\n"
           "Writes the demonstration machine that the commands use by default into the\n"
           "folder DIR (new or empty) as a machine folder: the registry export machine.reg\n"
           "(event-log service, channels, publishers, computer name, user profiles) and the\n"
           "drive folder C with the log files under C/Windows/System32/winevt/Logs\n"
           "(Application, System, Security with its archive, the Task Scheduler's\n"
           "operational channel). Any command then works on it with --machine DIR.",
           RunMachineInit);
