#include "platform/formats/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace formats {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Fail(std::string* error, const std::string& what, const std::string& path) {
  if (error) *error = "cannot " + what + " " + path + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return Fail(error, "open", path);
  // Read straight into the vector, sized from the file's length; a file
  // that grows meanwhile is read to its end all the same.
  struct stat info {};
  size_t expected = fstat(fileno(file.get()), &info) == 0 && info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
  out->resize(expected + 1);
  size_t used = 0;
  for (;;) {
    used += std::fread(out->data() + used, 1, out->size() - used, file.get());
    if (used < out->size()) break;
    out->resize(out->size() * 2);
  }
  out->resize(used);
  if (std::ferror(file.get())) return Fail(error, "read", path);
  return true;
}

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return Fail(error, "create", path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return Fail(error, "write", path);
  if (std::fclose(file.release()) != 0) return Fail(error, "write", path);
  return true;
}

bool WriteFileBytes(const std::string& path, uint64_t size, const BlockReader& read, std::string* error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return Fail(error, "create", path);
  std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(size, 1u << 16)));
  for (uint64_t done = 0; done < size;) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(size - done, block.size()));
    read(done, std::span<uint8_t>(block.data(), length));
    if (std::fwrite(block.data(), 1, length, file.get()) != length) return Fail(error, "write", path);
    done += length;
  }
  if (std::fclose(file.release()) != 0) return Fail(error, "write", path);
  return true;
}

}  // namespace formats
