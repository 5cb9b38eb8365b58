// The process-wide trace facility: numbered-level lines appended to a UTF-8
// file shared by every process that loads the component, guarded by a named
// mutex and held below a size limit.
//
// Levels: 10 failures and results of whole operations, 20 recoverable
// mismatches and per-item failures, 30 progress, 40 per-item detail. A line
// is written when its level does not exceed the threshold.
#pragma once

#include <string>
#include <string_view>

#include "base/format.h"
#include "platform/api/types.h"

namespace cmr {

class Tracer {
 public:
  static Tracer& Instance();

  // Reads the trace switch and level from the registry and opens the file
  // "<executable folder>\Tracing\<name>.log"; tracing stays off without the key.
  void ConfigureTracingFromRegistry(const std::u16string& name, DWORD sizeMegabytes, DWORD defaultLevel);
  // (Re)configures the facility and starts a file with its header.
  void OpenTraceFile(const std::u16string& name, DWORD level, const std::u16string& path, DWORD sizeMegabytes);
  // Writes "Trace file closed." and switches tracing off.
  void Shutdown();

  bool WouldWrite(DWORD level) const { return (mode_ & kFileMode) != 0 && level <= threshold_; }
  // Writes one line with the prefix; keeps the thread's last error.
  void WriteLine(DWORD level, std::u16string_view message);

  DWORD Threshold() const { return threshold_; }
  const std::u16string& FilePath() const { return path_; }
  ULONGLONG SizeLimit() const { return sizeLimit_; }
  ULONGLONG KeepSize() const { return keepSize_; }

 private:
  static constexpr DWORD kFileMode = 2;
  DWORD AppendText(std::u16string_view text);
  void CutToKeepSize(const std::u16string& path, long size);
  void TraceSystemVersion();

  DWORD mode_ = 0;
  DWORD threshold_ = 0;
  std::u16string tag_;
  std::u16string path_;
  HANDLE mutex_ = nullptr;
  ULONGLONG sizeLimit_ = 0;
  ULONGLONG keepSize_ = 0;
};

// Writes one line when the facility is on and the level passes; the format is
// checked against the arguments at compile time.
template <class... Args>
void Trace(DWORD level, std::type_identity_t<CheckedFormat<format_detail::Decay<Args>...>> format,
           const Args&... args) {
  Tracer& tracer = Tracer::Instance();
  if (!tracer.WouldWrite(level)) return;
  tracer.WriteLine(level, FormatString<Args...>(format, args...));
}

}  // namespace cmr

using cmr::Trace;
