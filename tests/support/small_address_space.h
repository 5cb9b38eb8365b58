// Runs a piece of a test in a forked process whose address space may grow
// only a little beyond what it has mapped at the start: a test that a large
// file is read in little memory.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <functional>

namespace testsupport {

// True when `work` returned true in a child whose address space was limited
// to its mapped size at the fork plus `roomBytes`.
inline bool SucceedsInSmallAddressSpace(size_t roomBytes, const std::function<bool()>& work) {
  pid_t pid = fork();
  if (pid == 0) {
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    statm >> pages;
    limit.rlim_cur = pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) + roomBytes;
    setrlimit(RLIMIT_AS, &limit);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testsupport
