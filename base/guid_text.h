// GUIDs as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace cmr {

std::u16string GuidToText(const GUID& guid);
std::string GuidToTextA(const GUID& guid);
// Throws std::runtime_error("Failed to parse GUID") unless all 11 fields read.
GUID TextToGuid(const std::string& text);
GUID TextToGuid(const std::u16string& text);
// A new random GUID (UuidCreate).
GUID NewGuid();

}  // namespace cmr
