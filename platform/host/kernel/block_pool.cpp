#include "platform/host/kernel/block_pool.h"

#include <cstdlib>

namespace host {

void* BlockPool::Allocate(size_t bytes) {
  void* block = std::calloc(bytes ? bytes : 1, 1);
  if (!block) return nullptr;
  std::lock_guard<std::mutex> guard(mutex_);
  blocks_.insert(block);
  return block;
}

bool BlockPool::Release(void* block) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!block || blocks_.erase(block) == 0) return false;
  }
  std::free(block);
  return true;
}

size_t BlockPool::Outstanding() {
  std::lock_guard<std::mutex> guard(mutex_);
  return blocks_.size();
}

namespace {
template <int Family>
BlockPool& Pool() {
  static BlockPool* pool = new BlockPool();  // lives until the process ends
  return *pool;
}
}  // namespace

BlockPool& LsaBlocks() { return Pool<0>(); }
BlockPool& NetApiBlocks() { return Pool<1>(); }
BlockPool& DnsBlocks() { return Pool<2>(); }
BlockPool& AddrInfoBlocks() { return Pool<3>(); }

void* BlockWriter::Advance(size_t bytes) {
  if (!base_) {
    used_ += bytes;
    scratch_.push_back(std::make_unique<BYTE[]>(bytes ? bytes : 1));
    return scratch_.back().get();
  }
  void* at = base_ + used_;
  used_ += bytes;
  if (used_ > size_) std::abort();  // the two runs disagree: a bug in the fill function
  return at;
}

char16_t* BlockWriter::String(std::u16string_view text) {
  auto* at = Take<char16_t>(text.size() + 1);
  std::memcpy(at, text.data(), text.size() * sizeof(char16_t));
  at[text.size()] = 0;
  return at;
}

char* BlockWriter::Narrow(std::string_view text) {
  auto* at = Take<char>(text.size() + 1);
  std::memcpy(at, text.data(), text.size());
  at[text.size()] = 0;
  return at;
}

void* BlockWriter::Bytes(const void* data, size_t size, size_t alignment) {
  Align(alignment);
  void* at = Advance(size);
  if (size) std::memcpy(at, data, size);
  return at;
}

}  // namespace host
