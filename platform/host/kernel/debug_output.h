// What the process sent to OutputDebugStringW, for tests to read. With the
// environment variable EC_DEBUG_OUTPUT set, each text goes to stderr too.
#pragma once

#include <string>
#include <vector>

namespace host {

std::vector<std::u16string> DebugOutput();
void ClearDebugOutput();

}  // namespace host
