#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>

namespace tool {

Progress::Progress() : terminal_(isatty(STDERR_FILENO) == 1) {}

void Progress::Show(const std::string& text) {
  if (!terminal_) return;
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  std::fflush(stderr);
  shown_ = true;
}

void Progress::Count(const std::string& what, size_t count, size_t every) {
  if (terminal_ && every != 0 && count % every == 0) Show(what + " " + std::to_string(count));
}

void Progress::Clear() {
  if (!shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace tool
