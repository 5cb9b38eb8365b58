// A fresh folder under /tmp for one test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/ec-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a folder under /tmp");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::u16string Wide(const std::string& rest = "") const {
    std::string full = path_ + rest;
    return std::u16string(full.begin(), full.end());
  }

 private:
  std::string path_;
};

}  // namespace testsupport
