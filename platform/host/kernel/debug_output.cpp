#include "platform/host/kernel/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"

namespace host {
namespace {

struct Log {
  std::mutex mutex;
  std::vector<std::u16string> lines;
};

Log& State() {
  static auto* log = new Log();
  return *log;
}

}  // namespace

std::vector<std::u16string> DebugOutput() {
  std::lock_guard<std::mutex> guard(State().mutex);
  return State().lines;
}

void ClearDebugOutput() {
  std::lock_guard<std::mutex> guard(State().mutex);
  State().lines.clear();
}

}  // namespace host

void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  {
    std::lock_guard<std::mutex> guard(host::State().mutex);
    host::State().lines.emplace_back(text);
  }
  if (std::getenv("EC_DEBUG_OUTPUT")) std::fprintf(stderr, "%s\n", plat::Utf16ToUtf8(text).c_str());
}
