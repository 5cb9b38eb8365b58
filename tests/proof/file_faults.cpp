#include "tests/proof/file_faults.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

namespace prooftest {
namespace {

std::atomic<bool> g_armed{false};
std::mutex g_mutex;
std::string g_folder;
unsigned g_nth = 0, g_count = 0;
int g_error = 0;
std::string g_failed;

bool UnderFolder(int fd) {
  char link[64], target[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  if (length <= 0) return false;
  return std::string(target, static_cast<size_t>(length)).starts_with(g_folder + "/");
}

// The error the call on `fd` fails with, or 0.
int FaultFor(int fd, const char* call) {
  if (!g_armed.load(std::memory_order_acquire)) return 0;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!UnderFolder(fd)) return 0;
  if (++g_count != g_nth) return 0;
  g_failed = call;
  return g_error;
}

template <class Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void FailFileOperation(const std::string& folder, unsigned nth, int error) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_folder = folder;
  g_nth = nth;
  g_count = 0;
  g_error = error;
  g_failed.clear();
  g_armed.store(true, std::memory_order_release);
}

void StopFileFaults() { g_armed.store(false, std::memory_order_release); }

unsigned FileOperationCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_count;
}

std::string FailedFileOperation() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_failed;
}

}  // namespace prooftest

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  using Write = ssize_t (*)(int, const void*, size_t);
  static const Write next = prooftest::Next<Write>("write");
  if (int error = prooftest::FaultFor(fd, "write")) {
    errno = error;
    return -1;
  }
  return next(fd, data, size);
}

extern "C" int close(int fd) {
  using Close = int (*)(int);
  static const Close next = prooftest::Next<Close>("close");
  if (int error = prooftest::FaultFor(fd, "close")) {
    next(fd);  // the descriptor is gone even when close reports an error
    errno = error;
    return -1;
  }
  return next(fd);
}
