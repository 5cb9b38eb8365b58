#include "collect/shared_path.h"

#include "base/text.h"
#include "platform/api/wide.h"

namespace cmr {

NET_API_STATUS FindSharedPath(const std::u16string& computer, const std::u16string& path,
                              std::vector<std::u16string>& sharePaths) {
  std::u16string server = computer;
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0;
  const NET_API_STATUS status = NetShareEnum(server.data(), 2, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr);
  const auto* shares = reinterpret_cast<const SHARE_INFO_2*>(buffer);
  for (DWORD i = 0; shares != nullptr && i < read; ++i) {
    if (shares[i].shi2_path == nullptr || shares[i].shi2_netname == nullptr) continue;
    std::u16string folder = ToLowerC(plat::U(shares[i].shi2_path));
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    if (path.starts_with(folder))
      sharePaths.push_back(std::u16string(plat::U(shares[i].shi2_netname)) + u"\\" + path.substr(folder.size()));
  }
  if (buffer != nullptr) NetApiBufferFree(buffer);
  return status;
}

}  // namespace cmr
