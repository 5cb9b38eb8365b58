#include "platform/host/files/share_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/api/errors.h"
#include "platform/host/files/ofd_lock.h"

namespace host {
namespace {

enum Byte : off_t { kGate = 0, kReader, kWriter, kDeleter, kDenyRead, kDenyWrite, kDenyDelete };

std::string LockPathOf(const struct stat& file) {
  static const std::string dir = LockDirectory("share");
  return dir + "/" + std::to_string(file.st_dev) + "-" + std::to_string(file.st_ino);
}

// Opens the lock file at `path` and takes its gate; retries when the file
// was removed by the last closer while this opener waited.
int OpenGated(const std::string& path, bool create) {
  for (;;) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd < 0) return -1;
    SetByteLock(fd, F_WRLCK, kGate, true);
    struct stat opened, current;
    if (fstat(fd, &opened) == 0 && stat(path.c_str(), &current) == 0 && opened.st_ino == current.st_ino) return fd;
    close(fd);
  }
}

// True when another open holds a shared lock on `byte`.
bool HeldByOthers(int fd, off_t byte) {
  if (!SetByteLock(fd, F_WRLCK, byte, false)) return true;
  SetByteLock(fd, F_UNLCK, byte, false);
  return false;
}

bool Conflicts(int fd, const ShareRequest& r) {
  return (r.read && HeldByOthers(fd, kDenyRead)) || (r.write && HeldByOthers(fd, kDenyWrite)) ||
         (r.remove && HeldByOthers(fd, kDenyDelete)) || (!r.shareRead && HeldByOthers(fd, kReader)) ||
         (!r.shareWrite && HeldByOthers(fd, kWriter)) || (!r.shareDelete && HeldByOthers(fd, kDeleter));
}

void Hold(int fd, const ShareRequest& r) {
  const std::pair<bool, off_t> holds[] = {{r.read, kReader},           {r.write, kWriter},
                                          {r.remove, kDeleter},        {!r.shareRead, kDenyRead},
                                          {!r.shareWrite, kDenyWrite}, {!r.shareDelete, kDenyDelete}};
  for (auto [wanted, byte] : holds)
    if (wanted) SetByteLock(fd, F_RDLCK, byte, false);
}

}  // namespace

ShareLock::~ShareLock() { Release(); }

void ShareLock::Release() {
  if (lockFd_ < 0) return;
  // The last open removes the lock file: it gets the gate and finds no byte
  // held by anyone else.
  if (SetByteLock(lockFd_, F_WRLCK, kGate, false)) {
    struct flock all {};
    all.l_type = F_WRLCK;
    all.l_whence = SEEK_SET;
    all.l_start = kReader;
    all.l_len = kDenyDelete - kReader + 1;
    if (fcntl(lockFd_, F_OFD_SETLK, &all) == 0) unlink(lockPath_.c_str());
  }
  close(lockFd_);
  lockFd_ = -1;
}

DWORD ShareLock::Acquire(int fd, const ShareRequest& request) {
  struct stat st;
  if (fstat(fd, &st) != 0) return ERROR_INVALID_HANDLE;
  std::string lockPath = LockPathOf(st);
  int lockFd = OpenGated(lockPath, true);
  if (lockFd < 0) return ERROR_ACCESS_DENIED;
  bool conflict = Conflicts(lockFd, request);
  if (!conflict) Hold(lockFd, request);
  SetByteLock(lockFd, F_UNLCK, kGate, false);
  if (conflict) {
    close(lockFd);
    return ERROR_SHARING_VIOLATION;
  }
  Release();
  lockFd_ = lockFd;
  lockPath_ = lockPath;
  return 0;
}

DWORD CheckDeleteAllowed(const std::string& linuxPath) {
  struct stat st;
  if (stat(linuxPath.c_str(), &st) != 0) return 0;
  int lockFd = OpenGated(LockPathOf(st), false);
  if (lockFd < 0) return 0;  // not open with share modes
  bool denied = HeldByOthers(lockFd, kDenyDelete);
  SetByteLock(lockFd, F_UNLCK, kGate, false);
  close(lockFd);
  return denied ? ERROR_SHARING_VIOLATION : 0;
}

}  // namespace host
