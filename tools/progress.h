// A status line on stderr while a long step runs, shown only when stderr is
// a terminal; the line is cleared when the step ends.
#pragma once

#include <string>

namespace tool {

class Progress {
 public:
  Progress();
  ~Progress() { Clear(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Replaces the status line.
  void Show(const std::string& text);
  // Shows "<what> <count>" at most every `every` counts.
  void Count(const std::string& what, size_t count, size_t every = 1000);
  void Clear();

 private:
  bool terminal_;
  bool shown_ = false;
};

}  // namespace tool
