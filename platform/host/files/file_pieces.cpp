#include "platform/host/files/file_pieces.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/host/faults/faults.h"

namespace host {

PieceWriter::PieceWriter(const std::string& linuxPath) {
  fd_ = ::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ok_ = fd_ >= 0;
}

PieceWriter::~PieceWriter() { Close(); }

bool PieceWriter::Write(uint64_t offset, std::span<const uint8_t> bytes) {
  if (!ok_ || HOST_FAULT("WriteFile")) return ok_ = false;
  size_t done = 0;
  while (ok_ && done < bytes.size()) {
    ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    ok_ = n > 0;
    if (ok_) done += static_cast<size_t>(n);
  }
  return ok_;
}

bool PieceWriter::Truncate(uint64_t size) {
  if (!ok_ || HOST_FAULT("SetEndOfFile")) return ok_ = false;
  return ok_ = ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool PieceWriter::Close() {
  if (fd_ < 0) return ok_;
  ok_ = ::close(fd_) == 0 && ok_;
  fd_ = -1;
  return ok_;
}

}  // namespace host
