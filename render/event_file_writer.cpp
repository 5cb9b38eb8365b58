#include "render/event_file_writer.h"

#include <cerrno>
#include <exception>

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#ifdef _WIN32
#include <io.h>
#endif

namespace cmr {

namespace {

// The exception for a zlib error number: Z_ERRNO carries the CRT's errno,
// any other number zlib's own text.
std::exception_ptr ZlibFailure(int error, const char* text) {
  if (error == Z_ERRNO) return std::make_exception_ptr(cmr::ErrnoException());
  return std::make_exception_ptr(cmr::ZlibException(error, cmr::WidenC(text != nullptr ? text : "")));
}

// The failure of the stream's last operation, as gzerror tells it.
std::exception_ptr StreamFailure(gzFile stream) {
  int savedErrno = errno;
  int error = Z_OK;
  const char* text = gzerror(stream, &error);
  errno = savedErrno;
  if (error == Z_OK) error = Z_STREAM_ERROR;
  return ZlibFailure(error, text);
}

}  // namespace

EventFileWriter::~EventFileWriter() { ReleaseQuietly(); }

bool EventFileWriter::Open(const std::u16string& path) {
  FILE* file = _wfsopen(path.c_str(), u"wb", _SH_DENYWR);
  if (file == nullptr) return false;
  int fd = _dup(_fileno(file));
  gzFile stream = fd >= 0 ? gzdopen(fd, "wb") : nullptr;
  if (stream == nullptr) {
    // Without a stream no entry could be written: report the file as not
    // created rather than losing every entry later.
    int error = errno != 0 ? errno : ENOMEM;
    if (fd >= 0) _close(fd);
    fclose(file);
    _wremove(path.c_str());
    errno = error;
    return false;
  }
  ReleaseQuietly();
  file_ = file;
  stream_ = stream;
  return true;
}

void EventFileWriter::EndEntry() {
  if (entry_.Empty()) return;
  if (stream_ == nullptr) {
    errno = EBADF;
    throw cmr::ErrnoException();
  }
  size_t fields = entry_.Size();
  entry_.Append("\r\n");
  if (gzwrite(stream_, entry_.View().data(), static_cast<unsigned>(entry_.Size())) == 0) {
    entry_.Shrink(fields);
    std::rethrow_exception(StreamFailure(stream_));
  }
  entry_.Clear();
}

void EventFileWriter::Close() {
  std::exception_ptr failure;
  if (stream_ != nullptr) {
    if (gzflush(stream_, Z_FINISH) != Z_OK) failure = StreamFailure(stream_);
    int result = gzclose(stream_);
    stream_ = nullptr;
    if (result != Z_OK && !failure) failure = ZlibFailure(result, zError(result));
  }
  entry_.Clear();
  if (file_ != nullptr) {
    int result = fclose(file_);
    file_ = nullptr;
    if (result != 0 && !failure) failure = std::make_exception_ptr(cmr::ErrnoException());
  }
  if (failure) std::rethrow_exception(failure);
}

void EventFileWriter::ReleaseQuietly() {
  try {
    Close();
  } catch (const cmr::BaseException& e) {
    Trace(10, u"Failed to finish event file: %s", e.FullText());
  }
}

}  // namespace cmr
