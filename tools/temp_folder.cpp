#include "tools/temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tool {

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool TempFolder::Make(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return false;
  path_ = buffer.data();
  return true;
}

}  // namespace tool
