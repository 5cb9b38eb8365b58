#include "tests/support/shell_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace testsupport {

int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ToolAvailable(const std::string& tool) {
  std::string ignored;
  return RunCommand("command -v " + tool + " >/dev/null 2>&1", ignored) == 0;
}

}  // namespace testsupport
