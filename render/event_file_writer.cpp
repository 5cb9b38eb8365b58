#include "render/event_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <exception>

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#ifdef _WIN32
#include <io.h>
#endif
#include "render/field_text.h"
#include "render/number_text.h"

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

void EventFileWriter::AppendTag(std::u16string_view tag) {
  entry_.append(tag);
  entry_.push_back(u'~');
}

void EventFileWriter::WriteTextField(std::u16string_view tag, std::u16string_view text) {
  AppendTag(tag);
  entry_.append(text);
  entry_.push_back(u'#');
}

void EventFileWriter::WriteHex32Field(std::u16string_view tag, uint32_t value) {
  AppendTag(tag);
  AppendHexDigits(entry_, value, 8);
  entry_.push_back(u'#');
}

void EventFileWriter::WriteHex64Field(std::u16string_view tag, uint64_t value) {
  AppendTag(tag);
  AppendHexDigits(entry_, value, 16);
  entry_.push_back(u'#');
}

void EventFileWriter::WriteUnsignedField(std::u16string_view tag, uint32_t value) {
  AppendTag(tag);
  AppendUnsigned(entry_, value);
  entry_.push_back(u'#');
}

void EventFileWriter::WriteInsertionString(int index, std::u16string_view text) {
  entry_.append(u"IS");
  AppendUnsigned(entry_, static_cast<uint32_t>(index), 2);
  entry_.push_back(u'~');
  AppendEscapedFieldValue(entry_, text);
  entry_.push_back(u'#');
}

// The entry as UTF-8; plain ASCII, the common case, is narrowed unit by unit
// (both loops vectorise).
void EventFileWriter::EncodeEntry() {
  char16_t any = 0;
  for (char16_t c : entry_) any |= c;
  if (any >= 0x80) {
    bytes_ = cmr::Utf16ToUtf8(entry_);
    return;
  }
  bytes_.resize(entry_.size());
  std::transform(entry_.begin(), entry_.end(), bytes_.begin(), [](char16_t c) { return static_cast<char>(c); });
}

void EventFileWriter::EndEntry() {
  if (entry_.empty()) return;
  if (stream_ == nullptr) {
    errno = EBADF;
    throw cmr::ErrnoException();
  }
  entry_.append(u"\r\n");
  EncodeEntry();
  entry_.resize(entry_.size() - 2);
  if (gzwrite(stream_, bytes_.data(), static_cast<unsigned>(bytes_.size())) == 0) {
    std::rethrow_exception(StreamFailure(stream_));
  }
  entry_.clear();
}

void EventFileWriter::Close() {
  std::exception_ptr failure;
  if (stream_ != nullptr) {
    if (gzflush(stream_, Z_FINISH) != Z_OK) failure = StreamFailure(stream_);
    int result = gzclose(stream_);
    stream_ = nullptr;
    if (result != Z_OK && !failure) failure = ZlibFailure(result, zError(result));
  }
  entry_.clear();
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
