#include "base/path_text.h"

namespace cmr {

std::u16string DirectoryOfPath(std::u16string_view path) {
  size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, slash + 1));
}

std::u16string JoinPath(std::u16string_view first, std::u16string_view second) {
  std::u16string joined(first);
  if (joined.empty() || joined.back() != u'\\') joined.push_back(u'\\');
  joined.append(second);
  return joined;
}

}  // namespace cmr
