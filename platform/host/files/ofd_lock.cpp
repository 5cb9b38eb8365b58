#include "platform/host/files/ofd_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace host {

bool SetByteLock(int fd, short type, off_t byte, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0)
    if (errno != EINTR) return false;
  return true;
}

std::string LockDirectory(const std::string& kind) {
  std::string dir = "/tmp/ec-" + kind + "-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  return dir;
}

}  // namespace host
