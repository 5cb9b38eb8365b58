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

char* EventFileWriter::BeginField(std::u16string_view tag, size_t valueBytes) {
  char* out = entry_.Room(tag.size() * kMaxUtf8PerUnit + valueBytes + 2);
  for (size_t i = 0; i < tag.size(); ++i) {
    if (tag[i] >= 0x80) {  // tags are ASCII names; any other text is converted all the same
      out = PutFieldValueUtf8(out, tag.substr(i), FieldForm::AsIs);
      break;
    }
    *out++ = static_cast<char>(tag[i]);
  }
  *out++ = '~';
  return out;
}

void EventFileWriter::EndField(char* end) {
  *end++ = '#';
  entry_.Commit(end);
}

void EventFileWriter::WriteTextField(std::u16string_view tag, std::u16string_view text, FieldForm form) {
  char* out = BeginField(tag, text.size() * kMaxUtf8PerUnit);
  EndField(PutFieldValueUtf8(out, text, form));
}

void EventFileWriter::WriteHex32Field(std::u16string_view tag, uint32_t value) {
  EndField(PutHexDigits(BeginField(tag, 8), value, 8));
}

void EventFileWriter::WriteHex64Field(std::u16string_view tag, uint64_t value) {
  EndField(PutHexDigits(BeginField(tag, 16), value, 16));
}

void EventFileWriter::WriteUnsignedField(std::u16string_view tag, uint32_t value) {
  EndField(PutUnsigned(BeginField(tag, kMaxDecimalDigits), value));
}

void EventFileWriter::WriteInsertionString(int index, std::u16string_view text, FieldForm form) {
  char* out = entry_.Room(2 + kMaxDecimalDigits + 2 + text.size() * kMaxUtf8PerUnit);
  *out++ = 'I';
  *out++ = 'S';
  out = PutUnsigned(out, static_cast<uint32_t>(index), 2);
  *out++ = '~';
  EndField(PutFieldValueUtf8(out, text, form));
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
