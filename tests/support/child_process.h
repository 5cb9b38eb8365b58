// Runs a role of the test program in a second process, for tests of what
// must hold across processes (share modes, named mutexes, one trace file).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using ChildRole = std::function<int(const std::vector<std::string>& args)>;

// Registers a role under a name; use EC_CHILD_ROLE at namespace scope.
bool RegisterChildRole(const std::string& name, ChildRole role);

// Starts this test program as a child running `role` with `args`, waits for
// it and returns its exit status (or -1 when it could not be started).
int RunChild(const std::string& role, const std::vector<std::string>& args = {});

// A started child that runs while the parent goes on.
class Child {
 public:
  Child(const std::string& role, const std::vector<std::string>& args = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  int Wait();  // exit status, -1 when it did not start or was killed
  // Ends the child at once with SIGKILL (nothing of it runs any more) and
  // reaps it.
  void Kill();

 private:
  int pid_ = -1;
  int status_ = -1;
};

// Called by main: when argv asks for a role, runs it and stores its status.
bool RunChildRoleIfAsked(int argc, char** argv, int* rc);

}  // namespace testsupport

#define EC_CHILD_ROLE_CAT2(a, b) a##b
#define EC_CHILD_ROLE_CAT(a, b) EC_CHILD_ROLE_CAT2(a, b)
#define EC_CHILD_ROLE(name)                                                         \
  static int EC_CHILD_ROLE_CAT(ChildRole_, name)(const std::vector<std::string>&);  \
  static bool EC_CHILD_ROLE_CAT(childRoleRegistered_, name) =                       \
      ::testsupport::RegisterChildRole(#name, EC_CHILD_ROLE_CAT(ChildRole_, name)); \
  static int EC_CHILD_ROLE_CAT(ChildRole_, name)(const std::vector<std::string>& args)
