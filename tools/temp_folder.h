// A folder of this run under $TMPDIR (or /tmp), removed with the object.
#pragma once

#include <string>

namespace tool {

class TempFolder {
 public:
  TempFolder() = default;
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Makes the folder; false when it cannot be made.
  bool Make(const std::string& prefix);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tool
