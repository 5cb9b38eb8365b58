// The component as this program uses it: libEventCollector.so, loaded from
// the program's own folder, reached only through its exports and the
// interfaces of its objects.
#pragma once

#include <string>

#include "base/com/ptr.h"
#include "com/EventCollector_h.h"
#include "com/exports.h"

namespace tool {

class Component {
 public:
  // Loads the library. False with `error` when it or an export is missing.
  bool Load(std::string* error);

  const std::string& Path() const { return path_; }

  // A new object of a class through its class factory.
  HRESULT Create(REFCLSID clsid, REFIID iid, void** object) const;
  template <class I>
  HRESULT Create(REFCLSID clsid, com::Ptr<I>& object) const {
    return Create(clsid, __uuidof(I), reinterpret_cast<void**>(object.Receive()));
  }

  HRESULT Register() const { return register_(); }
  HRESULT Unregister() const { return unregister_(); }

 private:
  std::string path_;
  void* library_ = nullptr;  // kept loaded until the process ends
  PFN_DllGetClassObject getClassObject_ = nullptr;
  PFN_DllRegisterServer register_ = nullptr;
  PFN_DllUnregisterServer unregister_ = nullptr;
};

// The text of a failed call: "0x80004005: <description>", the description
// taken from the thread's error object, else the system's text of the code.
std::string FailureText(HRESULT hr);

}  // namespace tool
