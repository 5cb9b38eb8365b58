// The files this process holds open under a folder, read from /proc.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace testsupport {

inline std::vector<std::string> OpenFilesUnder(const std::string& folder) {
  std::vector<std::string> open;
  std::error_code error;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    std::error_code readError;
    const std::string target = std::filesystem::read_symlink(fd.path(), readError).string();
    if (!readError && target.starts_with(folder + "/")) open.push_back(target);
  }
  return open;
}

}  // namespace testsupport
