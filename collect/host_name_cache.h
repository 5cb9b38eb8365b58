// The collector's computer-name cache: the host name that a computer name
// found in a record resolves to, each name asked once per collection.
#pragma once

#include <map>
#include <string>

namespace cmr {

class HostNameCache {
 public:
  // Starts the socket library (version 2.2) once per process.
  HostNameCache();

  // The resolved host name, "" when the name does not resolve (a miss is
  // remembered and never asked again). An IPv4 address text is looked up
  // in reverse.
  std::u16string Resolve(const std::u16string& name);

 private:
  int startup_;  // 0 when the socket library is usable
  std::map<std::u16string, std::u16string> names_;
};

}  // namespace cmr
