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
  if (bytes.empty()) return nullptr;
  if (gzwrite(stream, bytes.data(), static_cast<unsigned>(bytes.size())) == 0) return StreamFailure(stream);
  return nullptr;
}

}  // namespace cmr
