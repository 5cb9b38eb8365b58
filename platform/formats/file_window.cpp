#include "platform/formats/file_window.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace formats {

FileWindow::~FileWindow() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileWindow::Open(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  bool opened = fd >= 0 && ::fstat(fd, &info) == 0;
  if (opened && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    opened = false;
  }
  if (!opened) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  size_ = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  return true;
}

size_t FileWindow::Read(uint64_t offset, void* out, size_t size) const {
  size_t done = 0;
  auto* bytes = static_cast<uint8_t*>(out);
  while (done < size) {
    ssize_t n = ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace formats
