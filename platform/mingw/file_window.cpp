// The Windows build of formats::FileWindow: the descriptor of the C runtime,
// read at an offset through its system handle, so that a read moves no
// shared file pointer (as pread does on Linux).
#include "platform/formats/file_window.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/api/utf.h"

namespace formats {

FileWindow::~FileWindow() {
  if (fd_ >= 0) ::_close(fd_);
}

bool FileWindow::Open(const std::string& path, std::string* error) {
  std::u16string wide = plat::Utf8ToUtf16(path);
  int fd = ::_wopen(reinterpret_cast<const wchar_t*>(wide.c_str()), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  struct _stat64 info {};
  if (fd < 0 || ::_fstat64(fd, &info) != 0) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    if (fd >= 0) ::_close(fd);
    return false;
  }
  if (fd_ >= 0) ::_close(fd_);
  fd_ = fd;
  size_ = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  return true;
}

size_t FileWindow::Read(uint64_t offset, void* out, size_t size) const {
  auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  if (handle == INVALID_HANDLE_VALUE) return 0;
  size_t done = 0;
  auto* bytes = static_cast<uint8_t*>(out);
  while (done < size) {
    uint64_t at = offset + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(handle, bytes + done, want, &got, &position) || got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace formats
