// The folder of real Windows logs that tests read: EC_TESTDATA_DIR of the
// environment when it is set (the Windows test programs get it as a Windows
// path), else the folder beside the source tree named at build time.
#pragma once

#include <cstdlib>
#include <string>

namespace testsupport {

inline std::string TestdataPath(const std::string& rest) {
  const char* set = std::getenv("EC_TESTDATA_DIR");
  return std::string(set != nullptr && *set != '\0' ? set : EC_TESTDATA_DIR) + "/" + rest;
}

}  // namespace testsupport
