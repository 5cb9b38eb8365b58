// The process heap: blocks from malloc, recorded so that HeapFree refuses
// what it did not hand out.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/api/heap.h"
#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"

namespace {

struct Heap {
  std::mutex mutex;
  std::set<void*> blocks;
};

Heap& TheHeap() {
  static auto* heap = new Heap();
  return *heap;
}

}  // namespace

HANDLE GetProcessHeap() { return &TheHeap(); }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (HOST_FAULT("HeapAlloc") || heap != &TheHeap()) return nullptr;
  void* block = std::malloc(bytes ? bytes : 1);
  if (!block) return nullptr;
  if (flags & HEAP_ZERO_MEMORY) std::memset(block, 0, bytes);
  std::lock_guard<std::mutex> guard(TheHeap().mutex);
  TheHeap().blocks.insert(block);
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID memory) {
  HOST_FAULT_RETURN("HeapFree", FALSE);
  if (!memory) return TRUE;
  std::lock_guard<std::mutex> guard(TheHeap().mutex);
  if (heap != &TheHeap() || TheHeap().blocks.erase(memory) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::free(memory);
  return TRUE;
}
