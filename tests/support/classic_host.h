// A fresh host on a virtual clock whose computers get classic event logs:
// the common ground of the classic-log and collection tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/kernel/clock.h"
#include "tests/support/fresh_host.h"

namespace testsupport {

// The numbers first to last.
inline std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
  std::vector<uint32_t> v;
  for (uint32_t n = first; n <= last; ++n) v.push_back(n);
  return v;
}

// A classic log of the computer, kept in `file` (a Windows path) or in
// memory when none is given.
inline void MakeClassicLog(host::Computer& computer, const std::u16string& name, DWORD maxSize = 0x80000,
                           DWORD retention = 0, const std::u16string& file = u"", bool autoBackup = false) {
  host::ClassicLogConfig config;
  config.name = name;
  config.maxSize = maxSize;
  config.retention = retention;
  config.autoBackup = autoBackup;
  config.file = file;
  host::CreateClassicLog(computer, config);
}

class ClassicHost : public FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::UseVirtualClock(130000000000000000ULL);
  }
  void TearDown() override {
    FreshHost::TearDown();
    host::UseRealClock();
  }

  static void MakeLog(host::Computer& computer, const std::u16string& name, DWORD maxSize = 0x80000,
                      DWORD retention = 0, const std::u16string& file = u"", bool autoBackup = false) {
    MakeClassicLog(computer, name, maxSize, retention, file, autoBackup);
  }
  // A classic log of the local computer.
  void MakeLog(const std::u16string& name, DWORD maxSize = 0x80000, DWORD retention = 0,
               const std::u16string& file = u"", bool autoBackup = false) {
    MakeClassicLog(Local(), name, maxSize, retention, file, autoBackup);
  }
};

}  // namespace testsupport
