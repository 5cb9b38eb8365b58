#include "tests/support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <map>

namespace testsupport {
namespace {

std::map<std::string, ChildRole>& Roles() {
  static std::map<std::string, ChildRole> roles;
  return roles;
}

const char kRoleFlag[] = "--ec-child-role=";

int StartChild(const std::string& role, const std::vector<std::string>& args) {
  std::vector<std::string> argv_text{"/proc/self/exe", kRoleFlag + role};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  int pid = fork();
  if (pid != 0) return pid;
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

int WaitFor(int pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool RegisterChildRole(const std::string& name, ChildRole role) {
  Roles()[name] = std::move(role);
  return true;
}

int RunChild(const std::string& role, const std::vector<std::string>& args) { return WaitFor(StartChild(role, args)); }

Child::Child(const std::string& role, const std::vector<std::string>& args) : pid_(StartChild(role, args)) {}

Child::~Child() { Wait(); }

int Child::Wait() {
  if (pid_ > 0) {
    status_ = WaitFor(pid_);
    pid_ = -1;
  }
  return status_;
}

void Child::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
  Wait();
}

bool RunChildRoleIfAsked(int argc, char** argv, int* rc) {
  if (argc < 2 || std::strncmp(argv[1], kRoleFlag, sizeof kRoleFlag - 1) != 0) return false;
  auto it = Roles().find(argv[1] + sizeof kRoleFlag - 1);
  if (it == Roles().end()) {
    *rc = 126;
    return true;
  }
  *rc = it->second(std::vector<std::string>(argv + 2, argv + argc));
  return true;
}

}  // namespace testsupport
