// Any bytes as an event or description file (gzip, or plain text, which the
// reader takes as it is): entries come out one by one, damage is named, and
// nothing is read outside the bytes.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "render/event_file_reader.h"

namespace {

// One file per fuzzing process, rewritten for each input and removed at exit.
struct InputFile {
  const std::string path = "/tmp/ec-fuzz-event-file-" + std::to_string(getpid()) + ".adevt";
  ~InputFile() { std::remove(path.c_str()); }
};

const std::string& InputPath() {
  static const InputFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(InputPath().c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (!written) return 0;
  cmr::EventFileReader reader;
  if (!reader.Open(InputPath())) return 0;
  for (cmr::EventFileEntry entry; reader.Next(&entry);) {
  }
  (void)reader.Problem();
  (void)reader.Damage();
  return 0;
}
