#include "render/event_file_writer.h"

#include <cerrno>
#include <system_error>

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "render/block_compressor.h"
#include "render/gzip_failure.h"
#ifdef _WIN32
#include <io.h>
#endif

namespace cmr {

EventFileWriter::EventFileWriter() = default;

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
  if (entry_.Size() == entryStart_) return;
  if (stream_ == nullptr) {
    errno = EBADF;
    throw cmr::ErrnoException();
  }
  if (compressor_ != nullptr) {
    if (std::exception_ptr failure = compressor_->Failure()) std::rethrow_exception(failure);
  }
  const size_t start = entryStart_, fields = entry_.Size();
  entry_.Append("\r\n");
  entryStart_ = entry_.Size();
  if (entryStart_ < kBlockBytes) return;
  if (std::exception_ptr failure = HandBlock()) {
    entry_.Shrink(fields);
    entryStart_ = start;
    std::rethrow_exception(failure);
  }
}

std::exception_ptr EventFileWriter::HandBlock() {
  if (compressor_ == nullptr && !noThread_) {
    try {
      compressor_ = std::make_unique<BlockCompressor>(stream_);
    } catch (const std::system_error& e) {
      Trace(20, u"No compressor thread, compressing in the caller's thread: %s", cmr::WidenC(e.what()));
      noThread_ = true;
    }
  }
  std::exception_ptr failure;
  if (compressor_ != nullptr) failure = compressor_->Hand(entry_);
  else failure = WriteToStream(stream_, entry_.View());
  if (failure) return failure;
  entry_.Clear();
  entryStart_ = 0;
  return nullptr;
}

void EventFileWriter::Close() {
  std::exception_ptr failure;
  if (compressor_ != nullptr) {
    failure = compressor_->Finish();
    compressor_.reset();
  }
  noThread_ = false;
  if (stream_ != nullptr) {
    if (!failure) failure = WriteToStream(stream_, entry_.View().substr(0, entryStart_));
    if (gzflush(stream_, Z_FINISH) != Z_OK && !failure) failure = StreamFailure(stream_);
    int result = gzclose(stream_);
    stream_ = nullptr;
    if (result != Z_OK && !failure) failure = ZlibFailure(result, zError(result));
  }
  entry_.Clear();
  entryStart_ = 0;
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
