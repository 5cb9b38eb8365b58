// Mutexes. Ownership belongs to a thread and may be taken recursively.
// A named mutex is shared by every handle of that name in every process:
// inside a process one state per name; between processes an OFD lock on
// byte 0 of a lock file per name in /tmp/ec-mutex-<uid>/, whose first four
// bytes hold the owning process id while it is owned. A new owner that finds
// an id there took over from an owner that ended without releasing: its wait
// returns WAIT_ABANDONED.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/ofd_lock.h"
#include "platform/host/kernel/handles.h"

namespace {

using Clock = std::chrono::steady_clock;

enum LockByte : off_t { kOwned = 0, kOpen = 1, kGate = 2 };

std::string LockPath(std::u16string_view name) {
  static const std::string dir = host::LockDirectory("mutex");
  uint64_t hash = 1469598103934665603ULL;  // FNV-1a; object names are case-sensitive
  for (char c : plat::Utf16ToUtf8(name)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return dir + "/" + hex;
}

class MutexState {
 public:
  ~MutexState() {
    if (lockFd_ >= 0) close(lockFd_);
  }

  // Named: opens the lock file; `existed` tells whether another process has
  // the mutex open.
  bool OpenShared(std::u16string_view name, bool* existed) {
    lockFd_ = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) return false;
    host::SetByteLock(lockFd_, F_WRLCK, kGate, true);
    *existed = !host::SetByteLock(lockFd_, F_WRLCK, kOpen, false);
    if (!*existed) {  // a new mutex: what an earlier one left behind does not count
      uint32_t none = 0;
      (void)!pwrite(lockFd_, &none, sizeof none, 0);
    }
    host::SetByteLock(lockFd_, F_RDLCK, kOpen, false);
    host::SetByteLock(lockFd_, F_UNLCK, kGate, false);
    return true;
  }

  DWORD Acquire(DWORD milliseconds) {
    DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> lock(mutex_);
    if (owner_ == self) {
      ++recursion_;
      return WAIT_OBJECT_0;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    auto free = [this] { return owner_ == 0; };
    if (milliseconds == INFINITE) {
      changed_.wait(lock, free);
    } else if (!changed_.wait_until(lock, deadline, free)) {
      return WAIT_TIMEOUT;
    }
    owner_ = self;  // other threads of this process now wait for us
    bool abandoned = false;
    if (lockFd_ >= 0 && !TakeSharedLock(lock, milliseconds, deadline, &abandoned)) {
      owner_ = 0;
      changed_.notify_one();
      return WAIT_TIMEOUT;
    }
    recursion_ = 1;
    return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
  }

  bool Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owner_ != GetCurrentThreadId()) return false;
    if (--recursion_ > 0) return true;
    if (lockFd_ >= 0) {
      uint32_t none = 0;
      (void)!pwrite(lockFd_, &none, sizeof none, 0);
      host::SetByteLock(lockFd_, F_UNLCK, kOwned, false);
    }
    owner_ = 0;
    changed_.notify_one();
    return true;
  }

 private:
  // Polls the lock between processes until the deadline.
  bool TakeSharedLock(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Clock::time_point deadline,
                      bool* abandoned) {
    auto pause = std::chrono::microseconds(200);
    while (!host::SetByteLock(lockFd_, F_WRLCK, kOwned, false)) {
      if (milliseconds != INFINITE && Clock::now() >= deadline) return false;
      lock.unlock();
      std::this_thread::sleep_for(pause);
      lock.lock();
      pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
    uint32_t previous = 0;
    *abandoned = pread(lockFd_, &previous, sizeof previous, 0) == sizeof previous && previous != 0;
    uint32_t pid = static_cast<uint32_t>(getpid());
    (void)!pwrite(lockFd_, &pid, sizeof pid, 0);
    return true;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  DWORD owner_ = 0;
  unsigned recursion_ = 0;
  int lockFd_ = -1;
};

class MutexObject : public host::KernelObject {
 public:
  explicit MutexObject(std::shared_ptr<MutexState> state) : state(std::move(state)) {}
  DWORD Wait(DWORD milliseconds) override { return state->Acquire(milliseconds); }
  std::shared_ptr<MutexState> state;
};

std::mutex g_namesMutex;
std::map<std::u16string, std::weak_ptr<MutexState>>& Names() {
  static auto* names = new std::map<std::u16string, std::weak_ptr<MutexState>>();
  return *names;
}

// The state of a named mutex in this process, made on first use.
std::shared_ptr<MutexState> NamedState(const std::u16string& name, bool* existed) {
  std::lock_guard<std::mutex> guard(g_namesMutex);
  if (auto state = Names()[name].lock()) {
    *existed = true;
    return state;
  }
  auto state = std::make_shared<MutexState>();
  if (!state->OpenShared(name, existed)) return nullptr;
  Names()[name] = state;
  return state;
}

}  // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
  HOST_FAULT_RETURN("CreateMutexW", nullptr);
  bool existed = false;
  std::shared_ptr<MutexState> state = name && *name ? NamedState(name, &existed) : std::make_shared<MutexState>();
  if (!state) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (initialOwner && !existed) state->Acquire(INFINITE);
  HANDLE handle = host::AddHandle(std::make_shared<MutexObject>(state));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : 0);
  return handle;
}

BOOL ReleaseMutex(HANDLE mutex) {
  HOST_FAULT_RETURN("ReleaseMutex", FALSE);
  auto object = host::HandleAs<MutexObject>(mutex);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!object->state->Release()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}
