// A fresh folder under /tmp for one test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platformtest {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/ec-plat-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::u16string Wide(const std::string& rest = "") const {
    std::string full = path_ + rest;
    return std::u16string(full.begin(), full.end());
  }

 private:
  std::string path_;
};

}  // namespace platformtest
