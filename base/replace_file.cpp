#include "base/replace_file.h"

#include <stdexcept>

#include "platform/api/kernel.h"

namespace cmr {

std::u16string ReplacementPath(const std::u16string& path) { return path + u".saving"; }

void WriteFileReplacing(const std::u16string& path, const std::function<std::string(FILE*)>& write,
                        const std::string& openError) {
  std::u16string temp = ReplacementPath(path);
  FILE* f = _wfsopen(temp.c_str(), u"wb", _SH_DENYWR);
  if (f == nullptr) throw std::runtime_error(openError);
  std::string error = write(f);
  bool flushed = error.empty() && std::fflush(f) == 0;
  bool closed = std::fclose(f) == 0;
  if (error.empty() && !(flushed && closed)) error = openError;
  if (error.empty() && !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) error = openError;
  if (!error.empty()) {
    DeleteFileW(temp.c_str());
    throw std::runtime_error(error);
  }
}

}  // namespace cmr
