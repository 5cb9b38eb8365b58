// Memory that a family of API calls hands out and that only its own free
// function takes back (LsaFreeMemory, NetApiBufferFree, DnsRecordListFree,
// freeaddrinfo, FreeAddrInfoW). Each answer is one block, laid out by
// BuildBlock: the structures first, then the strings and bytes they point to.
// A pool knows its blocks, so freeing a foreign or already freed pointer is
// refused instead of corrupting memory, and tests can see what was not freed.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

#include "platform/api/types.h"

namespace host {

class BlockPool {
 public:
  // Zeroed memory; null when it cannot be had.
  void* Allocate(size_t bytes);
  // False for a pointer that this pool did not hand out or took back already.
  bool Release(void* block);
  // Blocks handed out and not released yet.
  size_t Outstanding();

 private:
  std::mutex mutex_;
  std::set<void*> blocks_;
};

BlockPool& LsaBlocks();
BlockPool& NetApiBlocks();
BlockPool& DnsBlocks();
BlockPool& AddrInfoBlocks();

// Lays out one block. BuildBlock runs the fill function twice: once to
// measure (the writer hands out scratch memory, thrown away after), once to
// write into the allocated block. Both runs must ask for the same pieces.
class BlockWriter {
 public:
  // A null base measures.
  BlockWriter(BYTE* base, size_t size) : base_(base), size_(size) {}

  template <class T>
  T* Take(size_t count = 1) {
    Align(alignof(T));
    return static_cast<T*>(Advance(sizeof(T) * count));
  }
  // A NUL-terminated copy.
  char16_t* String(std::u16string_view text);
  char* Narrow(std::string_view text);
  void* Bytes(const void* data, size_t size, size_t alignment = alignof(DWORD));
  size_t Used() const { return used_; }

 private:
  void Align(size_t alignment) { used_ = (used_ + alignment - 1) / alignment * alignment; }
  void* Advance(size_t bytes);

  BYTE* base_;
  size_t size_;
  size_t used_ = 0;
  std::vector<std::unique_ptr<BYTE[]>> scratch_;
};

// Null when the memory cannot be had.
template <class Fill>
void* BuildBlock(BlockPool& pool, Fill fill) {
  BlockWriter measure(nullptr, 0);
  fill(measure);
  void* block = pool.Allocate(measure.Used());
  if (!block) return nullptr;
  BlockWriter writer(static_cast<BYTE*>(block), measure.Used());
  fill(writer);
  return block;
}

}  // namespace host
