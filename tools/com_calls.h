// A run of COM calls that stops at the first failure, which it tells as
// "<call> failed: 0x...: <text>".
#pragma once

#include <string>

#include "tools/component.h"

namespace tool {

class Calls {
 public:
  explicit Calls(std::string* error) : error_(error) {}
  // Records the result of a call; false once any call of the run failed.
  bool operator()(const char* what, HRESULT hr) {
    if (failed_) return false;
    if (FAILED(hr)) {
      failed_ = true;
      *error_ = std::string(what) + " failed: " + FailureText(hr);
    }
    return !failed_;
  }
  bool ok() const { return !failed_; }

 private:
  std::string* error_;
  bool failed_ = false;
};

}  // namespace tool
