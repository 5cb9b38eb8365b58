#include "collect/opening_mutex.h"

#include "platform/api/kernel.h"
#include "platform/api/security.h"

namespace cmr {

OpeningMutex::~OpeningMutex() { Release(); }

bool OpeningMutex::Create() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(u"D:(A;;GA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
  handle_ = CreateMutexW(&attributes, FALSE, kName);
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return handle_ != nullptr;
}

bool OpeningMutex::Wait() {
  const DWORD result = WaitForSingleObject(handle_, kWaitMs);
  if (result == WAIT_FAILED) return false;
  held_ = result != WAIT_TIMEOUT;
  return true;
}

void OpeningMutex::Release() {
  if (held_) ReleaseMutex(handle_);
  held_ = false;
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

}  // namespace cmr
