// The text of what a piece of a test throws, for checks of error messages.
#pragma once

#include <exception>
#include <string>

namespace testsupport {

// The what() of the `Exception` that `work` throws, "<nothing thrown>" when
// it returns; any other exception passes through and fails the test.
template <class Exception = std::exception, class Work>
std::string ThrownText(Work&& work) {
  try {
    work();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<nothing thrown>";
}

}  // namespace testsupport
