// The simulated computer a command works on: a machine folder named with
// --machine DIR, or the embedded demonstration machine, written into a
// temporary folder for the run and removed afterwards.
#pragma once

#include <string>

#include "tools/temp_folder.h"

namespace tool {

class Machine {
 public:
  // Makes the folder (empty: the demonstration machine) the host's local
  // computer: its registry, drives, logs, channels and accounts. False with
  // `error` when the folder cannot be loaded.
  bool Open(const std::string& folder, std::string* error);

  // The machine folder (a temporary one for the demonstration machine).
  const std::string& Folder() const { return folder_; }
  bool Temporary() const { return !temporary_.Path().empty(); }
  // The computer's name as ITask::Run takes it, without backslashes, so
  // that the event files it names begin with the bare name.
  std::u16string ComputerArgument() const;

  // Writes the computer's registry back to the folder's registry export
  // (the one *.reg file; "machine.reg" when there is none). False with
  // `error` when the folder has several exports or the file cannot be
  // written; the old export is then kept as it was.
  bool SaveRegistry(std::string* error) const;

 private:
  std::string folder_;
  TempFolder temporary_;
};

}  // namespace tool
