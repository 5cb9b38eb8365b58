// A local path of a computer as the paths that reach it through the
// computer's shares.
#pragma once

#include <string>
#include <vector>

#include "platform/api/net.h"

namespace cmr {

// For each share of the computer whose folder (lower-cased, ending with a
// backslash) begins `path`, appends share name + "\" + the rest of the path.
// `path` is expected lower-cased. Returns NetShareEnum's status.
NET_API_STATUS FindSharedPath(const std::u16string& computer, const std::u16string& path,
                              std::vector<std::u16string>& sharePaths);

}  // namespace cmr
