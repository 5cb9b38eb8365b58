// A fresh folder in the system's temporary folder for one test, removed
// afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path();
    std::random_device seed;
    std::mt19937 pick(seed());
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      std::string name = "ec-test-";
      for (int i = 0; i < 8; ++i) name += letters[pick() % (sizeof letters - 1)];
      std::error_code failed;
      if (fs::create_directory(base / name, failed)) path_ = (base / name).string();
    }
    if (path_.empty()) throw std::runtime_error("cannot create a folder in " + base.string());
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
