#include "platform/formats/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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
  out->clear();
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) out->insert(out->end(), buffer, buffer + got);
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

}  // namespace formats
