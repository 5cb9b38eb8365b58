#include "platform/formats/evtx_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#endif

#include "platform/formats/evtx_reader.h"

namespace formats {
namespace {

constexpr size_t kMaxChunks = 0xFFFF;  // the header counts chunks in 16 bits

std::string TooLarge(const EvtxRecord& r) {
  return "record " + std::to_string(r.recordId) + " does not fit in a chunk";
}

EvtxHeaderFields HeaderOf(size_t chunks, uint64_t nextRecordId, const EvtxWriteOptions& options) {
  EvtxHeaderFields f;
  f.lastChunk = chunks ? chunks - 1 : 0;
  f.nextRecordId = nextRecordId;
  f.chunkCount = static_cast<uint16_t>(chunks);
  f.flags = options.dirty ? 1u : 0u;
  return f;
}

}  // namespace

bool WriteEvtx(const std::vector<EvtxRecord>& records, std::vector<uint8_t>& out, std::string& error,
               const EvtxWriteOptions& options) {
  out.assign(kEvtxFileHeaderSize, 0);
  size_t chunks = 0;
  EvtxChunkWriter chunk;
  auto flush = [&] {
    std::vector<uint8_t> bytes = chunk.image();
    out.insert(out.end(), bytes.begin(), bytes.end());
    ++chunks;
    chunk = EvtxChunkWriter();
  };
  for (const EvtxRecord& r : records) {
    if (chunk.append(r)) continue;
    if (chunk.empty() || (flush(), !chunk.append(r))) {
      error = TooLarge(r);
      return false;
    }
  }
  if (!chunk.empty()) flush();
  if (chunks > kMaxChunks) {
    error = "too many chunks for one file";
    return false;
  }
  std::vector<uint8_t> header =
      EvtxHeaderBytes(HeaderOf(chunks, records.empty() ? 1 : records.back().recordId + 1, options));
  std::copy(header.begin(), header.end(), out.begin());
  return true;
}

namespace {

// The file opened for writing in binary mode, and a write at an offset. On
// Windows the C runtime has no pwrite: the write follows a seek, which is
// sound because the writer is the only user of its descriptor.
#ifdef _WIN32
int OpenForWriting(const std::string& path) {
  return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
long long WriteAt(int fd, const uint8_t* data, size_t size, uint64_t offset) {
  if (::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
  return ::_write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}
#else
int OpenForWriting(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}
ssize_t WriteAt(int fd, const uint8_t* data, size_t size, uint64_t offset) {
  return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}
#endif

}  // namespace

bool WriteEvtxFile(const std::string& path, const std::vector<EvtxRecord>& records, std::string& error,
                   const EvtxWriteOptions& options) {
  EvtxFileWriter writer;
  if (!writer.Open(path, error)) return false;
  for (const EvtxRecord& r : records)
    if (!writer.Add(r, error)) return false;
  return writer.Finish(error, options);
}

EvtxFileWriter::~EvtxFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(path_.c_str());
}

bool EvtxFileWriter::Open(const std::string& path, std::string& error) {
  fd_ = OpenForWriting(path);
  if (fd_ < 0) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  return true;
}

bool EvtxFileWriter::writeAt(uint64_t offset, const std::vector<uint8_t>& bytes, std::string& error) {
  size_t done = 0;
  while (done < bytes.size()) {
    auto n = WriteAt(fd_, bytes.data() + done, bytes.size() - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write " + path_ + ": " + std::strerror(n < 0 ? errno : EIO);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool EvtxFileWriter::flush(std::string& error) {
  if (chunks_ == kMaxChunks) {
    error = "too many chunks for one file";
    return false;
  }
  if (!writeAt(kEvtxFileHeaderSize + uint64_t{chunks_} * kEvtxChunkSize, chunk_.image(), error)) return false;
  ++chunks_;
  chunk_ = EvtxChunkWriter();
  return true;
}

bool EvtxFileWriter::Add(const EvtxRecord& record, std::string& error) {
  if (fd_ < 0) {
    error = "the file is not open";
    return false;
  }
  if (!chunk_.append(record) && (chunk_.empty() || !flush(error) || !chunk_.append(record))) {
    if (error.empty()) error = TooLarge(record);
    return false;
  }
  nextRecordId_ = record.recordId + 1;
  return true;
}

bool EvtxFileWriter::Finish(std::string& error, const EvtxWriteOptions& options) {
  if (fd_ < 0) {
    error = "the file is not open";
    return false;
  }
  if (!chunk_.empty() && !flush(error)) return false;
  std::vector<uint8_t> header = EvtxHeaderBytes(HeaderOf(chunks_, nextRecordId_, options));
  header.resize(kEvtxFileHeaderSize, 0);
  if (!writeAt(0, header, error)) return false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    error = "cannot write " + path_ + ": " + std::strerror(errno);
    ::unlink(path_.c_str());
    return false;
  }
  return true;
}

}  // namespace formats
