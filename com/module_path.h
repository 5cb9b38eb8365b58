// The full path of this library's file (%MODULE% of the registration).
#pragma once

#include <string>

namespace com {

std::u16string ModulePath();

}  // namespace com
