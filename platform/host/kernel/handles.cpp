#include "platform/host/kernel/handles.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"

namespace host {
namespace {

struct Table {
  std::mutex mutex;
  std::map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 0x1000;
};

Table& State() {
  static auto* table = new Table();
  return *table;
}

}  // namespace

DWORD KernelObject::Wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  auto& t = State();
  std::lock_guard<std::mutex> guard(t.mutex);
  uintptr_t value = t.next;
  t.next += 4;  // handle values are multiples of 4, as on Windows
  t.objects[value] = std::move(object);
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
  auto& t = State();
  std::lock_guard<std::mutex> guard(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;  // released outside the table's lock
  auto& t = State();
  std::lock_guard<std::mutex> guard(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  object = std::move(it->second);
  t.objects.erase(it);
  return true;
}

}  // namespace host

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  HOST_FAULT_RETURN("WaitForSingleObject", WAIT_FAILED);
  auto object = host::FindHandle(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return object->Wait(milliseconds);
}

BOOL CloseHandle(HANDLE handle) {
  HOST_FAULT_RETURN("CloseHandle", FALSE);
  if (!host::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
