// The process's table of kernel-object handles (files, searches, mutexes,
// and any other object a stand-in hands out as a HANDLE). CloseHandle
// removes an entry; the object goes when its last user lets it go.
#pragma once

#include <memory>

#include "platform/api/types.h"

namespace host {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // WaitForSingleObject on the object; objects that cannot be waited for
  // fail with ERROR_INVALID_HANDLE.
  virtual DWORD Wait(DWORD milliseconds);
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
// False when the handle is not in the table.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> HandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

}  // namespace host
