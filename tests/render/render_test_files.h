// Files for the render tests: a scratch path per test and the uncompressed
// content of a gzip file.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "base/text.h"

namespace rendertest {

// A path in the temporary folder, unique to this process and test.
inline std::string ScratchPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info != nullptr ? info->name() : "none";
  std::string file = "ec-render-" + std::to_string(getpid()) + "-" + test + "-" + name;
  return (std::filesystem::temp_directory_path() / file).string();
}

inline std::u16string Wide(const std::string& path) { return cmr::Utf8ToUtf16(path); }

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The whole uncompressed content; `ok` is false when zlib reports an error.
inline std::string GzipContent(const std::string& path, bool* ok = nullptr) {
  std::string content;
  gzFile f = gzopen(path.c_str(), "rb");
  bool sound = f != nullptr;
  char buffer[4096];
  int got = 0;
  while (sound && (got = gzread(f, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<size_t>(got));
  if (got < 0) sound = false;
  if (f != nullptr) gzclose(f);
  if (ok != nullptr) *ok = sound;
  return content;
}

}  // namespace rendertest
