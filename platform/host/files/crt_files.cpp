// The CRT's wide file functions. _wfsopen gives a real FILE* whose share
// mode holds against every other open of the file, in any process; a
// refused open fails with EACCES, as the Microsoft CRT reports a sharing
// violation. Text mode is not translated: files are read and written as
// binary.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/file_info.h"
#include "platform/host/files/share_lock.h"
#include "platform/host/kernel/errno_map.h"

namespace {

struct Mode {
  bool read = false, write = false, append = false, truncate = false, create = false;
};

bool ParseMode(const WCHAR* text, Mode* mode) {
  if (!text || !*text) return false;
  switch (text[0]) {
    case u'r': mode->read = true; break;
    case u'w': mode->write = mode->truncate = mode->create = true; break;
    case u'a': mode->write = mode->append = mode->create = true; break;
    default: return false;
  }
  for (const WCHAR* p = text + 1; *p && *p != u','; ++p) {
    switch (*p) {
      case u'+': mode->read = mode->write = true; break;
      case u'b':
      case u't':
      case u'c':
      case u'n':
      case u'N':
      case u'S':
      case u'R':
      case u'T':
      case u'D': break;
      case u' ': break;
      default: return false;
    }
  }
  return true;
}

struct Cookie {
  int fd;
  host::ShareLock share;
  FILE* file = nullptr;
};

// The descriptors of the streams made here: a fopencookie stream has none
// that fileno() could tell (_fileno).
std::mutex g_descriptorsLock;
std::map<FILE*, int> g_descriptors;

void RememberDescriptor(Cookie* cookie, FILE* file) {
  std::lock_guard<std::mutex> guard(g_descriptorsLock);
  cookie->file = file;
  g_descriptors[file] = cookie->fd;
}

void ForgetDescriptor(Cookie* cookie) {
  std::lock_guard<std::mutex> guard(g_descriptorsLock);
  if (cookie->file != nullptr) g_descriptors.erase(cookie->file);
}

ssize_t CookieRead(void* c, char* buffer, size_t size) {
  ssize_t n;
  do n = read(static_cast<Cookie*>(c)->fd, buffer, size);
  while (n < 0 && errno == EINTR);
  return n;
}

ssize_t CookieWrite(void* c, const char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(static_cast<Cookie*>(c)->fd, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

int CookieSeek(void* c, off64_t* offset, int whence) {
  off_t at = lseek(static_cast<Cookie*>(c)->fd, *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CookieClose(void* c) {
  auto* cookie = static_cast<Cookie*>(c);
  ForgetDescriptor(cookie);
  int rc = close(cookie->fd);
  delete cookie;
  return rc;
}

FILE* FailWith(DWORD error) {
  SetLastError(error);
  errno = host::ErrnoFromWin32(error);
  return nullptr;
}

host::ShareRequest RequestFor(const Mode& mode, int shareFlag) {
  host::ShareRequest r;
  r.read = mode.read;
  r.write = mode.write;
  r.shareRead = shareFlag != _SH_DENYRD && shareFlag != _SH_DENYRW;
  r.shareWrite = shareFlag != _SH_DENYWR && shareFlag != _SH_DENYRW;
  r.shareDelete = false;  // the CRT does not share deletion
  return r;
}

}  // namespace

FILE* _wfsopen(const WCHAR* path, const WCHAR* modeText, int shareFlag) {
  if (DWORD e = HOST_FAULT("_wfsopen")) return FailWith(e);
  Mode mode;
  if (!ParseMode(modeText, &mode) || !path ||
      (shareFlag != _SH_DENYRW && shareFlag != _SH_DENYWR && shareFlag != _SH_DENYRD && shareFlag != _SH_DENYNO)) {
    errno = EINVAL;
    return nullptr;
  }
  std::string p;
  if (!host::MapPathArgument(path, &p)) return FailWith(GetLastError());
  struct stat st;
  if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FailWith(ERROR_ACCESS_DENIED);
  int flags = O_CLOEXEC |
              (mode.read && mode.write ? O_RDWR
               : mode.write            ? O_WRONLY
                                       : O_RDONLY) |
              (mode.create ? O_CREAT : 0) | (mode.append ? O_APPEND : 0);
  int fd = open(p.c_str(), flags, 0666);
  if (fd < 0) return FailWith(errno == ENOENT ? host::MissingPathError(p) : host::Win32FromErrno(errno));
  auto* cookie = new Cookie{fd, {}};
  // The share check comes before truncation, so a refused "w" leaves the file whole.
  DWORD e = cookie->share.Acquire(fd, RequestFor(mode, shareFlag));
  if (!e && mode.truncate && ftruncate(fd, 0) != 0) e = host::Win32FromErrno(errno);
  if (!e && mode.append) lseek(fd, 0, SEEK_END);
  FILE* file = nullptr;
  if (!e) {
    const char* stdioMode = mode.read && mode.write ? "r+" : mode.write ? "w" : "r";
    file = fopencookie(cookie, stdioMode, cookie_io_functions_t{CookieRead, CookieWrite, CookieSeek, CookieClose});
    if (!file) e = ERROR_NOT_ENOUGH_MEMORY;
    else RememberDescriptor(cookie, file);
  }
  if (e) {
    CookieClose(cookie);
    return FailWith(e);
  }
  return file;
}

FILE* _wfopen(const WCHAR* path, const WCHAR* mode) {
  if (DWORD e = HOST_FAULT("_wfopen")) return FailWith(e);
  return _wfsopen(path, mode, _SH_DENYNO);
}

int _fileno(FILE* file) {
  {
    std::lock_guard<std::mutex> guard(g_descriptorsLock);
    auto found = g_descriptors.find(file);
    if (found != g_descriptors.end()) return found->second;
  }
  return fileno(file);
}

int _dup(int fd) { return fcntl(fd, F_DUPFD_CLOEXEC, 0); }

int _close(int fd) { return close(fd); }

int _wremove(const WCHAR* path) {
  if (DeleteFileW(path)) return 0;
  errno = host::ErrnoFromWin32(GetLastError());
  return -1;
}

int _wrename(const WCHAR* oldPath, const WCHAR* newPath) {
  if (MoveFileExW(oldPath, newPath, MOVEFILE_COPY_ALLOWED)) return 0;
  errno = host::ErrnoFromWin32(GetLastError());
  return -1;
}
