// The component library as a client loads it: the test is skipped when the
// library was not built.
#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace testsupport {

inline std::string ComponentLibraryPath() { return std::string(EC_BINARY_DIR) + "/libEventCollector.so"; }

class ComponentLibrary {
 public:
  ComponentLibrary() : handle_(dlopen(ComponentLibraryPath().c_str(), RTLD_NOW)) {}
  ~ComponentLibrary() {
    if (handle_) dlclose(handle_);
  }
  ComponentLibrary(const ComponentLibrary&) = delete;
  ComponentLibrary& operator=(const ComponentLibrary&) = delete;
  bool Loaded() const { return handle_ != nullptr; }
  // An export by name; a missing export fails the test.
  template <class F>
  F Export(const char* name) const {
    F f = reinterpret_cast<F>(dlsym(handle_, name));
    EXPECT_NE(f, nullptr) << name;
    return f;
  }

 private:
  void* handle_;
};

}  // namespace testsupport

// Skips the test when the library is not there.
#define EC_SKIP_WITHOUT(library) \
  if (!(library).Loaded()) GTEST_SKIP() << "component library not built: " << testsupport::ComponentLibraryPath()
