// A trace file in a test's folder: tracing switched on into it, and its text.
#pragma once

#include <filesystem>
#include <string>

#include "base/text.h"
#include "base/trace.h"
#include "tests/support/file_text.h"

namespace testsupport {

class TraceFile {
 public:
  explicit TraceFile(const std::filesystem::path& path, DWORD level = 40) : path_(path) {
    cmr::Tracer::Instance().OpenTraceFile(u"EventCollector", level, cmr::Utf8ToUtf16(path.string()), 10);
  }
  ~TraceFile() { cmr::Tracer::Instance().Shutdown(); }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // Switches tracing off and returns what was written.
  std::string Text() {
    cmr::Tracer::Instance().Shutdown();
    return ReadFileText(path_);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
