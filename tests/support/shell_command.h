// Shell commands of the tests: the independent readers that cross-check ours.
#pragma once

#include <string>

namespace testsupport {

// Runs a shell command; returns its exit status (-1 when it did not exit
// normally) and its standard output.
int RunCommand(const std::string& command, std::string& output);

// Whether the shell finds the program.
bool ToolAvailable(const std::string& tool);

}  // namespace testsupport
