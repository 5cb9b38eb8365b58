// A handle closed at the end of a scope by the call that closes its kind.
#pragma once

#include "platform/api/types.h"

namespace testsupport {

template <class H, BOOL(WINAPI* Close)(H)>
class ScopedHandle {
 public:
  explicit ScopedHandle(H h = nullptr) : h_(h) {}
  ~ScopedHandle() {
    if (h_) Close(h_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_;
};

}  // namespace testsupport
