// The commands of the eventcollector program. Each command lives in its own
// file and registers itself with EC_COMMAND.
#pragma once

#include <string>
#include <vector>

namespace tool {

using Args = std::vector<std::string>;

struct Command {
  std::string name;     // e.g. "logs", or "filter add" for a sub-command
  std::string summary;  // one line for the command list
  std::string usage;    // the text of "<command> --help"
  int (*run)(const Args& args);
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// True when args ask for help ("--help" or "-h").
bool WantsHelp(const Args& args);

}  // namespace tool

#define EC_COMMAND_CAT2(a, b) a##b
#define EC_COMMAND_CAT(a, b) EC_COMMAND_CAT2(a, b)
#define EC_COMMAND(...) \
  static const bool EC_COMMAND_CAT(commandRegistered_, __LINE__) = ::tool::RegisterCommand(::tool::Command{__VA_ARGS__})
