#include "render/block_compressor.h"

#include <utility>

#include "render/gzip_failure.h"

namespace cmr {

BlockCompressor::BlockCompressor(gzFile stream) : stream_(stream), thread_([this] { Run(); }) {}

BlockCompressor::~BlockCompressor() { Finish(); }

std::exception_ptr BlockCompressor::Hand(EntryBytes& block) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !hasWaiting_ || failure_; });
    if (failure_) return failure_;
    std::swap(block, waiting_);
    hasWaiting_ = true;
  }
  changed_.notify_all();
  return nullptr;
}

std::exception_ptr BlockCompressor::Failure() {
  if (!failed_.load(std::memory_order_acquire)) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

std::exception_ptr BlockCompressor::Finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  return failure_;
}

void BlockCompressor::Run() {
  EntryBytes work;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return hasWaiting_ || finishing_; });
      if (!hasWaiting_) return;
      std::swap(work, waiting_);  // the emptied block of the round before goes back to be filled
      hasWaiting_ = false;
    }
    changed_.notify_all();
    std::exception_ptr failure;
    try {
      failure = WriteToStream(stream_, work.View());
    } catch (...) {  // no memory for the failure's text: nothing may leave the thread
      failure = std::current_exception();
    }
    work.Clear();
    if (failure) return Fail(failure);
  }
}

void BlockCompressor::Fail(std::exception_ptr failure) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = failure;
    failed_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

}  // namespace cmr
