// eventcollector: the command line of the event collector.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/command.h"

namespace tool {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintCommandList() {
  std::printf("usage: eventcollector <command> [arguments]\n\ncommands:\n");
  for (const Command& c : Commands()) std::printf("  %-18s %s\n", c.name.c_str(), c.summary.c_str());
  std::printf("\n'eventcollector <command> --help' describes a command.\n");
}

// The longest registered name that the arguments start with ("filter add" before "filter").
const Command* Find(int argc, char** argv, int* used) {
  const Command* best = nullptr;
  size_t bestWords = 0;
  for (const Command& c : Commands()) {
    size_t words = 0, pos = 0;
    bool match = true;
    while (match && pos < c.name.size()) {
      size_t space = c.name.find(' ', pos);
      std::string word = c.name.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
      match = 1 + static_cast<int>(words) < argc && word == argv[1 + words];
      ++words;
      pos = space == std::string::npos ? c.name.size() : space + 1;
    }
    if (match && words > bestWords) {
      best = &c;
      bestWords = words;
    }
  }
  *used = static_cast<int>(bestWords);
  return best;
}

// The commands of a group ("filter" for "filter add", "filter show", ...).
std::vector<const Command*> Group(const std::string& word) {
  std::vector<const Command*> members;
  for (const Command& c : Commands())
    if (c.name.compare(0, word.size() + 1, word + " ") == 0) members.push_back(&c);
  return members;
}

// "eventcollector filter [--help]": the commands of the group; 0 when help
// was asked for, 2 otherwise.
int PrintGroup(const std::string& word, const std::vector<const Command*>& members, bool help) {
  std::FILE* out = help ? stdout : stderr;
  std::fprintf(out, "usage: eventcollector %s <command> [arguments]\n\ncommands:\n", word.c_str());
  for (const Command* c : members) std::fprintf(out, "  %-18s %s\n", c->name.c_str(), c->summary.c_str());
  std::fprintf(out, "\n'eventcollector %s <command> --help' describes a command.\n", word.c_str());
  return help ? 0 : 2;
}

}  // namespace

bool RegisterCommand(const Command& command) {
  Registry().push_back(command);
  return true;
}

const std::vector<Command>& Commands() { return Registry(); }

bool WantsHelp(const Args& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

}  // namespace tool

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    tool::PrintCommandList();
    return argc < 2 ? 2 : 0;
  }
  int used = 0;
  const tool::Command* command = tool::Find(argc, argv, &used);
  if (command == nullptr) {
    std::vector<const tool::Command*> members = tool::Group(argv[1]);
    tool::Args rest(argv + 2, argv + argc);
    bool help = tool::WantsHelp(rest) || (argc == 3 && std::strcmp(argv[2], "help") == 0);
    if (!members.empty() && !help && argc > 2)
      std::fprintf(stderr, "eventcollector: unknown command '%s %s'\n", argv[1], argv[2]);
    if (!members.empty()) return tool::PrintGroup(argv[1], members, help);
    std::fprintf(stderr, "eventcollector: unknown command '%s'\n", argv[1]);
    tool::PrintCommandList();
    return 2;
  }
  tool::Args args(argv + 1 + used, argv + argc);
  if (tool::WantsHelp(args)) {
    std::printf("%s\n", command->usage.c_str());
    return 0;
  }
  return command->run(args);
}
