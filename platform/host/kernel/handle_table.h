// Opaque handles for objects that the host hands out (LSA policies, data-file
// modules). A handle is a number that is never reused in the process, so a
// closed or foreign handle is recognised and refused instead of reaching freed
// memory. Callers hold the host lock (host::Lock) around every use.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace host {

template <class T>
class HandleTable {
 public:
  // `tag` keeps the handles of different tables apart (its low bits are 0).
  explicit HandleTable(uintptr_t tag) : tag_(tag) {}

  void* Add(std::unique_ptr<T> object) {
    uintptr_t value = tag_ + (next_++ << 4);
    objects_[value] = std::move(object);
    return reinterpret_cast<void*>(value);
  }
  T* Find(const void* handle) const {
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second.get();
  }
  // The object, or null when the handle is not open.
  std::unique_ptr<T> Remove(const void* handle) {
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }
  size_t Count() const { return objects_.size(); }

 private:
  uintptr_t tag_;
  uintptr_t next_ = 1;
  std::map<uintptr_t, std::unique_ptr<T>> objects_;
};

}  // namespace host
