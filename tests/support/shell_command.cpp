#include "tests/support/shell_command.h"

#include <cstdio>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace testsupport {
namespace {

#ifdef _WIN32
FILE* OpenPipe(const std::string& command) { return _popen(command.c_str(), "rb"); }
int ClosePipe(FILE* pipe) { return _pclose(pipe); }
#else
FILE* OpenPipe(const std::string& command) { return popen(command.c_str(), "r"); }
int ClosePipe(FILE* pipe) {
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace

int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = OpenPipe(command);
  if (!pipe) return -1;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  return ClosePipe(pipe);
}

bool ToolAvailable(const std::string& tool) {
#ifdef _WIN32
  // The independent readers are Linux programs run through the POSIX shell;
  // the Windows test programs have none of them.
  (void)tool;
  return false;
#else
  std::string ignored;
  return RunCommand("command -v " + tool + " >/dev/null 2>&1", ignored) == 0;
#endif
}

}  // namespace testsupport
