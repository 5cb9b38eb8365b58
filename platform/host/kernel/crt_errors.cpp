// _wcserror_s with the Microsoft CRT's texts, keyed by this system's errno
// values.
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"

namespace {

const char16_t* CrtErrorText(int error) {
  switch (error) {
    case 0: return u"No error";
    case EPERM: return u"Operation not permitted";
    case ENOENT: return u"No such file or directory";
    case ESRCH: return u"No such process";
    case EINTR: return u"Interrupted function call";
    case EIO: return u"Input/output error";
    case ENXIO: return u"No such device or address";
    case E2BIG: return u"Arg list too long";
    case ENOEXEC: return u"Exec format error";
    case EBADF: return u"Bad file descriptor";
    case ECHILD: return u"No child processes";
    case EAGAIN: return u"Resource temporarily unavailable";
    case ENOMEM: return u"Not enough space";
    case EACCES: return u"Permission denied";
    case EFAULT: return u"Bad address";
    case EBUSY: return u"Resource device";
    case EEXIST: return u"File exists";
    case EXDEV: return u"Improper link";
    case ENODEV: return u"No such device";
    case ENOTDIR: return u"Not a directory";
    case EISDIR: return u"Is a directory";
    case EINVAL: return u"Invalid argument";
    case ENFILE: return u"Too many open files in system";
    case EMFILE: return u"Too many open files";
    case ENOTTY: return u"Inappropriate I/O control operation";
    case EFBIG: return u"File too large";
    case ENOSPC: return u"No space left on device";
    case ESPIPE: return u"Invalid seek";
    case EROFS: return u"Read-only file system";
    case EMLINK: return u"Too many links";
    case EPIPE: return u"Broken pipe";
    case EDOM: return u"Domain error";
    case ERANGE: return u"Result too large";
    case EDEADLK: return u"Resource deadlock avoided";
    case ENAMETOOLONG: return u"Filename too long";
    case ENOLCK: return u"No locks available";
    case ENOSYS: return u"Function not implemented";
    case ENOTEMPTY: return u"Directory not empty";
    case EILSEQ: return u"Illegal byte sequence";
    default: return u"Unknown error";
  }
}

}  // namespace

int _wcserror_s(WCHAR* buffer, size_t size, int errnum) {
  if (HOST_FAULT("_wcserror_s") != 0 || !buffer || size == 0) {
    errno = EINVAL;
    return EINVAL;
  }
  std::u16string_view text = CrtErrorText(errnum);
  size_t n = text.size() < size ? text.size() : size - 1;  // truncated to fit, as the CRT does
  std::memcpy(buffer, text.data(), n * sizeof(char16_t));
  buffer[n] = 0;
  return 0;
}
