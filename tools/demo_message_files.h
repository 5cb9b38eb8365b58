// The message files of the demonstration machine (message tables and an
// event manifest), built with the project and written into the machine
// folder's System32. Empty when the build had no MinGW binutils.
#pragma once

#include <cstddef>
#include <span>

namespace tool {

struct DemoMessageFile {
  const char* name;  // file name in System32
  std::span<const unsigned char> bytes;
};

std::span<const DemoMessageFile> DemoMessageFiles();

}  // namespace tool
