#include "render/gzip_failure.h"

#include <cerrno>

#include "base/exceptions.h"
#include "base/text.h"

namespace cmr {

std::exception_ptr ZlibFailure(int error, const char* text) {
  if (error == Z_ERRNO) return std::make_exception_ptr(cmr::ErrnoException());
  return std::make_exception_ptr(cmr::ZlibException(error, cmr::WidenC(text != nullptr ? text : "")));
}

std::exception_ptr StreamFailure(gzFile stream) {
  int savedErrno = errno;
  int error = Z_OK;
  const char* text = gzerror(stream, &error);
  errno = savedErrno;
  if (error == Z_OK) error = Z_STREAM_ERROR;
  return ZlibFailure(error, text);
}

std::exception_ptr WriteToStream(gzFile stream, std::string_view bytes) {
  constexpr size_t kPiece = 4096;  // below the stream's default input buffer of 8 KiB
  while (!bytes.empty()) {
    const std::string_view piece = bytes.substr(0, kPiece);
    if (gzwrite(stream, piece.data(), static_cast<unsigned>(piece.size())) == 0) return StreamFailure(stream);
    bytes.remove_prefix(piece.size());
  }
  return nullptr;
}

}  // namespace cmr
