// Path texts with backslashes, as the component builds them.
#pragma once

#include <string>
#include <string_view>

namespace cmr {

// The text up to and including the last backslash; empty when there is none.
std::u16string DirectoryOfPath(std::u16string_view path);
// `first`, a backslash unless `first` ends in one, then `second`.
std::u16string JoinPath(std::u16string_view first, std::u16string_view second);

}  // namespace cmr
