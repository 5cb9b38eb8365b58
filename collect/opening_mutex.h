// The machine-wide mutex that serialises the opening phase (backup
// discovery or log open) of every classic collector of every process.
#pragma once

#include "platform/api/types.h"

namespace cmr {

class OpeningMutex {
 public:
  // The fixed name all cooperating processes share (a GUID without braces).
  static constexpr char16_t kName[] = u"6D3B2F0A-8C51-4E7D-9A24-1F0B6C8E5D73";
  // How long a collector waits for the others, in milliseconds.
  static constexpr DWORD kWaitMs = 180000;

  OpeningMutex() = default;
  // Releases the mutex when it is held, and closes it.
  ~OpeningMutex();
  OpeningMutex(const OpeningMutex&) = delete;
  OpeningMutex& operator=(const OpeningMutex&) = delete;

  // Creates (or opens) the mutex, open to everyone; false with the last error.
  bool Create();
  // Waits for it; a time-out or an abandoned mutex goes on as held. False
  // with the last error when the wait fails.
  bool Wait();
  // Releases and closes it.
  void Release();

 private:
  HANDLE handle_ = nullptr;
  bool held_ = false;
};

}  // namespace cmr
