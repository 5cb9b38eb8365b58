// Runs a program as a new process (no copy of this one's memory) and
// measures it: CPU seconds (user + system) and peak resident memory, from
// wait4, and the elapsed time.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace benchsupport {

struct ProcessCost {
  bool ran = false;        // started and exited with a status other than 127
  int status = -1;         // exit status
  double cpuSeconds = 0;   // user + system, of all its threads
  double wallSeconds = 0;  // elapsed, from the start to the exit
  double peakMiB = 0;      // peak resident set
};

inline double CpuSeconds(const rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Runs args[0] (found on PATH) with its standard output into `output` and
// its errors into /dev/null.
inline ProcessCost RunProcess(std::vector<std::string> args, const char* output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const auto start = std::chrono::steady_clock::now();
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ProcessCost cost;
  if (spawned != 0) return cost;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) return cost;
  cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.status = WEXITSTATUS(status);
  cost.ran = cost.status != 127;
  cost.cpuSeconds = CpuSeconds(usage);
  cost.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return cost;
}

}  // namespace benchsupport
