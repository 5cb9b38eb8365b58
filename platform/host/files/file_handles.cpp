// CreateFileW and the calls on its handles. Share modes hold across
// processes (host/share_lock.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/file_info.h"
#include "platform/host/files/share_lock.h"
#include "platform/host/kernel/errno_map.h"
#include "platform/host/kernel/handles.h"
#include "platform/host/kernel/last_error.h"

namespace {

constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kDelete = 0x00010000u;
constexpr DWORD kReadBits = GENERIC_READ | kGenericAll | 0x0001u;              // FILE_READ_DATA
constexpr DWORD kWriteBits = GENERIC_WRITE | kGenericAll | 0x0002u | 0x0004u;  // FILE_WRITE_DATA, FILE_APPEND_DATA

class FileObject : public host::KernelObject {
 public:
  explicit FileObject(int fd) : fd(fd) {}
  ~FileObject() override { close(fd); }
  int fd;
  host::ShareLock share;
};

using host::Fail;

int OpenFlags(bool read, bool write, DWORD creation) {
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  switch (creation) {
    case CREATE_NEW: return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: return flags | O_CREAT;
    default: return flags;
  }
}

std::shared_ptr<FileObject> FileOf(HANDLE file) {
  auto object = host::HandleAs<FileObject>(file);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

// A folder opened with FILE_FLAG_BACKUP_SEMANTICS: a handle that tells its facts.
HANDLE OpenFolder(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(host::Win32FromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(0);
  return host::AddHandle(std::make_shared<FileObject>(fd));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD flags,
                   HANDLE) {
  HOST_FAULT_RETURN("CreateFileW", INVALID_HANDLE_VALUE);
  std::string p;
  if (!host::MapPathArgument(path, &p)) return INVALID_HANDLE_VALUE;
  if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  bool read = (access & kReadBits) != 0, write = (access & kWriteBits) != 0;
  struct stat before;
  bool existed = stat(p.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    if ((flags & FILE_FLAG_BACKUP_SEMANTICS) && (creation == OPEN_EXISTING || creation == OPEN_ALWAYS))
      return OpenFolder(p);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = open(p.c_str(),
                OpenFlags(read, write || creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING, creation), 0666);
  if (fd < 0) {
    int e = errno;
    SetLastError(e == EEXIST ? ERROR_FILE_EXISTS : e == ENOENT ? host::MissingPathError(p) : host::Win32FromErrno(e));
    return INVALID_HANDLE_VALUE;
  }
  auto file = std::make_shared<FileObject>(fd);
  host::ShareRequest request{read,
                             write,
                             (access & kDelete) != 0,
                             (shareMode & FILE_SHARE_READ) != 0,
                             (shareMode & FILE_SHARE_WRITE) != 0,
                             (shareMode & FILE_SHARE_DELETE) != 0};
  if (DWORD e = file->share.Acquire(fd, request)) {
    SetLastError(e);
    return INVALID_HANDLE_VALUE;
  }
  if ((creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING) && ftruncate(fd, 0) != 0) {
    SetLastError(host::Win32FromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : 0);
  return host::AddHandle(file);
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  if (DWORD e = host::FaultFor("GetFileInformationByHandle")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  if (!information) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st;
  if (fstat(f->fd, &st) != 0) return Fail(host::Win32FromErrno(errno));
  *information = {};
  information->dwFileAttributes = host::AttributesOf(st);
  information->ftCreationTime = host::FileTimeOf(st.st_ctim);
  information->ftLastAccessTime = host::FileTimeOf(st.st_atim);
  information->ftLastWriteTime = host::FileTimeOf(st.st_mtim);
  information->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
  information->nFileSizeLow = static_cast<DWORD>(st.st_size);
  information->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  information->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
  information->nFileIndexLow = static_cast<DWORD>(st.st_ino);
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID) {
  if (DWORD e = HOST_FAULT("ReadFile")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  DWORD done = 0;
  while (done < toRead) {
    ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, toRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(errno == EBADF ? ERROR_ACCESS_DENIED : host::Win32FromErrno(errno));
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPVOID) {
  if (DWORD e = HOST_FAULT("WriteFile")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  DWORD done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + done, toWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (written) *written = done;
      return Fail(errno == EBADF ? ERROR_ACCESS_DENIED : host::Win32FromErrno(errno));
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  if (DWORD e = HOST_FAULT("GetFileSizeEx")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  struct stat st;
  if (fstat(f->fd, &st) != 0) return Fail(host::Win32FromErrno(errno));
  size->QuadPart = st.st_size;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method) {
  if (DWORD e = HOST_FAULT("SetFilePointerEx")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  if (method > FILE_END) return Fail(ERROR_INVALID_PARAMETER);
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t base = whence == SEEK_SET ? 0 : lseek(f->fd, 0, whence);
  if (base + distance.QuadPart < 0) return Fail(ERROR_NEGATIVE_SEEK);
  off_t at = lseek(f->fd, base + distance.QuadPart, SEEK_SET);
  if (at < 0) return Fail(host::Win32FromErrno(errno));
  if (newPosition) newPosition->QuadPart = at;
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  if (DWORD e = HOST_FAULT("FlushFileBuffers")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  if (fsync(f->fd) != 0 && errno != EINVAL) return Fail(host::Win32FromErrno(errno));
  return TRUE;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  if (DWORD e = HOST_FAULT("GetFileTime")) return Fail(e);
  auto f = FileOf(file);
  if (!f) return FALSE;
  struct statx sx;
  if (statx(f->fd, "", AT_EMPTY_PATH, STATX_BTIME | STATX_ATIME | STATX_MTIME, &sx) != 0)
    return Fail(host::Win32FromErrno(errno));
  auto toTs = [](const struct statx_timestamp& t) { return timespec{t.tv_sec, static_cast<long>(t.tv_nsec)}; };
  // Without a birth time the file system's oldest known time stands in.
  if (creation) *creation = host::FileTimeOf(toTs((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime));
  if (lastAccess) *lastAccess = host::FileTimeOf(toTs(sx.stx_atime));
  if (lastWrite) *lastWrite = host::FileTimeOf(toTs(sx.stx_mtime));
  return TRUE;
}
