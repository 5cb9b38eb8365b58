#include "tools/session.h"

#include "platform/api/com.h"

namespace tool {

Session::Session() { CoInitialize(nullptr); }

Session::~Session() { CoUninitialize(); }

bool Session::Open(const std::string& command, const Options& options) {
  std::string error;
  if (!machine_.Open(options.Value(kMachineOption.name), &error) || !component_.Load(&error)) {
    Failure(command, error);
    return false;
  }
  if (!scratch_.Make("eventcollector-run")) {
    Failure(command, "cannot make a temporary folder");
    return false;
  }
  return true;
}

}  // namespace tool
