// What the commands that use the component share: the machine named by
// --machine (or the demonstration machine), the loaded component library,
// and a scratch folder for the files of one run.
#pragma once

#include <string>

#include "tools/component.h"
#include "tools/machine.h"
#include "tools/options.h"
#include "tools/temp_folder.h"

namespace tool {

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Sets up the machine, then loads the component (which reads its tracing
  // settings from the machine's registry as it loads). Tells stderr what
  // failed and returns false.
  bool Open(const std::string& command, const Options& options);

  Machine& machine() { return machine_; }
  const Component& component() const { return component_; }
  // A path in the scratch folder of this run.
  std::string ScratchFile(const std::string& name) const { return scratch_.Path() + "/" + name; }

 private:
  Machine machine_;
  Component component_;
  TempFolder scratch_;
};

}  // namespace tool
