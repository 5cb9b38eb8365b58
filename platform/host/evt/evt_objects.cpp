#include "platform/host/evt/evt_objects.h"

#include <algorithm>
#include <unordered_map>

#include "platform/api/errors.h"
#include "platform/api/kernel.h"
#include "platform/host/net/reachable.h"

namespace host::evt {
namespace {

struct Table {
  std::unordered_map<uintptr_t, std::shared_ptr<Object>> objects;  // looked up on every call
  uintptr_t next = 1;
};

Table& Handles() {
  static auto* table = new Table();
  return *table;
}

}  // namespace

EVT_HANDLE Add(std::shared_ptr<Object> object) {
  Lock lock;
  auto& t = Handles();
  uintptr_t value = 0x45000000u + (t.next++ << 4);
  t.objects[value] = std::move(object);
  return reinterpret_cast<EVT_HANDLE>(value);
}

std::shared_ptr<Object> Find(EVT_HANDLE handle) {
  Lock lock;
  auto& t = Handles();
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool Close(EVT_HANDLE handle) {
  std::shared_ptr<Object> object;  // released after the lock
  Lock lock;
  auto& t = Handles();
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  object = std::move(it->second);
  t.objects.erase(it);
  return true;
}

size_t OpenCount() {
  Lock lock;
  return Handles().objects.size();
}

Computer* SessionComputer(EVT_HANDLE session, DWORD* error) {
  std::u16string server;
  if (session) {
    auto s = As<Session>(session);
    if (!s) {
      *error = ERROR_INVALID_HANDLE;
      return nullptr;
    }
    server = s->server;
  }
  Computer* computer = ReachableComputer(server);
  if (!computer) *error = RPC_S_SERVER_UNAVAILABLE;
  return computer;
}

}  // namespace host::evt

namespace host::evt {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

EVT_HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

DWORD CopyText(std::u16string_view text, DWORD size, LPWSTR buffer, DWORD* used) {
  DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (used) *used = needed;
  if (!buffer || size < needed) return ERROR_INSUFFICIENT_BUFFER;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return 0;
}

}  // namespace host::evt
