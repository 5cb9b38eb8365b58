#include "platform/host/share_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/api/errors.h"
#include "platform/host/ofd_lock.h"

namespace host {
namespace {

enum Byte : off_t { kGate = 0, kReader, kWriter, kDeleter, kDenyRead, kDenyWrite, kDenyDelete };

int OpenLockFile(dev_t dev, ino_t ino, bool create) {
  static const std::string dir = LockDirectory("share");
  std::string path = dir + "/" + std::to_string(dev) + "-" + std::to_string(ino);
  return open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
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
  const std::pair<bool, off_t> holds[] = {{r.read, kReader},         {r.write, kWriter},
                                          {r.remove, kDeleter},      {!r.shareRead, kDenyRead},
                                          {!r.shareWrite, kDenyWrite}, {!r.shareDelete, kDenyDelete}};
  for (auto [wanted, byte] : holds)
    if (wanted) SetByteLock(fd, F_RDLCK, byte, false);
}

}  // namespace

ShareLock::~ShareLock() { Release(); }

void ShareLock::Release() {
  if (lockFd_ >= 0) close(lockFd_);
  lockFd_ = -1;
}

DWORD ShareLock::Acquire(int fd, const ShareRequest& request) {
  struct stat st;
  if (fstat(fd, &st) != 0) return ERROR_INVALID_HANDLE;
  int lockFd = OpenLockFile(st.st_dev, st.st_ino, true);
  if (lockFd < 0) return ERROR_ACCESS_DENIED;
  SetByteLock(lockFd, F_WRLCK, kGate, true);
  bool conflict = Conflicts(lockFd, request);
  if (!conflict) Hold(lockFd, request);
  SetByteLock(lockFd, F_UNLCK, kGate, false);
  if (conflict) {
    close(lockFd);
    return ERROR_SHARING_VIOLATION;
  }
  Release();
  lockFd_ = lockFd;
  return 0;
}

DWORD CheckDeleteAllowed(const std::string& linuxPath) {
  struct stat st;
  if (stat(linuxPath.c_str(), &st) != 0) return 0;
  int lockFd = OpenLockFile(st.st_dev, st.st_ino, false);
  if (lockFd < 0) return 0;  // never opened with share modes
  SetByteLock(lockFd, F_WRLCK, kGate, true);
  bool denied = HeldByOthers(lockFd, kDenyDelete);
  SetByteLock(lockFd, F_UNLCK, kGate, false);
  close(lockFd);
  return denied ? ERROR_SHARING_VIOLATION : 0;
}

}  // namespace host
