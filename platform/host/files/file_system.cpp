// Folders and whole-file operations: create, remove, attributes, delete,
// copy, move; and the WOW64 redirection switches, which have nothing to do.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/file_info.h"
#include "platform/host/files/share_lock.h"
#include "platform/host/kernel/errno_map.h"
#include "platform/host/kernel/last_error.h"

namespace {

using host::Fail;

BOOL FailErrno(const std::string& path) {
  int e = errno;
  return Fail(e == ENOENT ? host::MissingPathError(path) : host::Win32FromErrno(e));
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies the bytes, permissions and times of `from` to `to`.
DWORD CopyContents(const std::string& from, const std::string& to, bool failIfExists) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno == ENOENT ? host::MissingPathError(from) : host::Win32FromErrno(errno);
  struct stat st;
  fstat(in, &st);
  if (S_ISDIR(st.st_mode)) {
    close(in);
    return ERROR_ACCESS_DENIED;
  }
  host::ShareLock sourceLock;
  if (DWORD e = sourceLock.Acquire(in, host::ShareRequest{true, false, false, true, false, true})) {
    close(in);
    return e;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0), st.st_mode & 0777);
  if (out < 0) {
    int e = errno;
    close(in);
    if (e == EEXIST) return ERROR_FILE_EXISTS;
    return e == ENOENT ? host::MissingPathError(to) : host::Win32FromErrno(e);
  }
  host::ShareLock targetLock;
  DWORD result = targetLock.Acquire(out, host::ShareRequest{false, true, false, false, false, false});
  if (!result && ftruncate(out, 0) != 0) result = host::Win32FromErrno(errno);
  std::vector<char> buffer(1 << 16);
  while (!result) {
    ssize_t n = read(in, buffer.data(), buffer.size());
    if (n <= 0) {
      if (n < 0) result = host::Win32FromErrno(errno);
      break;
    }
    for (ssize_t done = 0; done < n && !result;) {
      ssize_t w = write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0) result = host::Win32FromErrno(errno);
      done += w > 0 ? w : 0;
    }
  }
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (!result) futimens(out, times);
  close(out);
  close(in);
  return result;
}

}  // namespace

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (DWORD e = HOST_FAULT("CreateDirectoryW")) return Fail(e);
  std::string p;
  if (!host::MapPathArgument(path, &p)) return FALSE;
  if (mkdir(p.c_str(), 0777) != 0) return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : host::Win32FromErrno(errno));
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR path) {
  if (DWORD e = HOST_FAULT("RemoveDirectoryW")) return Fail(e);
  std::string p;
  if (!host::MapPathArgument(path, &p)) return FALSE;
  if (rmdir(p.c_str()) != 0) return errno == ENOTDIR ? Fail(ERROR_DIRECTORY) : FailErrno(p);
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  HOST_FAULT_RETURN("GetFileAttributesW", INVALID_FILE_ATTRIBUTES);
  std::string p;
  if (!host::MapPathArgument(path, &p)) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (stat(p.c_str(), &st) != 0) {
    FailErrno(p);
    return INVALID_FILE_ATTRIBUTES;
  }
  return host::AttributesOf(st);
}

BOOL DeleteFileW(LPCWSTR path) {
  if (DWORD e = HOST_FAULT("DeleteFileW")) return Fail(e);
  std::string p;
  if (!host::MapPathArgument(path, &p)) return FALSE;
  if (IsDirectory(p)) return Fail(ERROR_ACCESS_DENIED);
  if (DWORD e = host::CheckDeleteAllowed(p)) return Fail(e);
  if (unlink(p.c_str()) != 0) return FailErrno(p);
  return TRUE;
}

BOOL CopyFileW(LPCWSTR existing, LPCWSTR target, BOOL failIfExists) {
  if (DWORD e = HOST_FAULT("CopyFileW")) return Fail(e);
  std::string from, to;
  if (!host::MapPathArgument(existing, &from) || !host::MapPathArgument(target, &to)) return FALSE;
  if (DWORD e = CopyContents(from, to, failIfExists != FALSE)) return Fail(e);
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
  if (DWORD e = HOST_FAULT("MoveFileExW")) return Fail(e);
  std::string from, to;
  if (!host::MapPathArgument(existing, &from) || !host::MapPathArgument(target, &to)) return FALSE;
  if (DWORD e = host::CheckDeleteAllowed(from)) return Fail(e);
  bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  if (replace) {
    if (IsDirectory(to)) return Fail(ERROR_ACCESS_DENIED);
    if (DWORD e = host::CheckDeleteAllowed(to)) return Fail(e);
  }
  // rename() replaces atomically; renameat2 refuses an existing target atomically.
  int rc = replace ? rename(from.c_str(), to.c_str())
                   : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  if (rc == 0) return TRUE;
  if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  if (errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED)) {
    if (DWORD e = CopyContents(from, to, !replace)) return Fail(e);
    unlink(from.c_str());
    return TRUE;
  }
  if (errno == ENOENT) {
    struct stat st;
    return Fail(stat(from.c_str(), &st) != 0 ? host::MissingPathError(from) : ERROR_PATH_NOT_FOUND);
  }
  return Fail(host::Win32FromErrno(errno));
}

BOOL MoveFileW(LPCWSTR existing, LPCWSTR target) {
  if (DWORD e = HOST_FAULT("MoveFileW")) return Fail(e);
  return MoveFileExW(existing, target, MOVEFILE_COPY_ALLOWED);
}

BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue) {
  if (DWORD e = HOST_FAULT("Wow64DisableWow64FsRedirection")) return Fail(e);
  if (oldValue) *oldValue = nullptr;
  return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(PVOID) {
  if (DWORD e = HOST_FAULT("Wow64RevertWow64FsRedirection")) return Fail(e);
  return TRUE;
}
