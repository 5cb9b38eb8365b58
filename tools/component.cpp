#include "tools/component.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/com/bstr.h"
#include "base/exceptions.h"
#include "base/text.h"

namespace tool {
namespace {

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : self.parent_path().string();
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return text;
}

}  // namespace

bool Component::Load(std::string* error) {
  path_ = ProgramFolder() + "/libEventCollector.so";
  library_ = dlopen(path_.c_str(), RTLD_NOW);
  if (!library_) {
    *error = "cannot load the component library: " + std::string(dlerror());
    return false;
  }
  getClassObject_ = reinterpret_cast<PFN_DllGetClassObject>(dlsym(library_, "DllGetClassObject"));
  register_ = reinterpret_cast<PFN_DllRegisterServer>(dlsym(library_, "DllRegisterServer"));
  unregister_ = reinterpret_cast<PFN_DllUnregisterServer>(dlsym(library_, "DllUnregisterServer"));
  if (!getClassObject_ || !register_ || !unregister_) {
    *error = path_ + " lacks the exports of the component";
    return false;
  }
  return true;
}

HRESULT Component::Create(REFCLSID clsid, REFIID iid, void** object) const {
  *object = nullptr;
  SetErrorInfo(0, nullptr);  // a failure below tells its own error, not an earlier one
  com::Ptr<IClassFactory> factory;
  HRESULT hr = getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()));
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, iid, object);
}

std::string FailureText(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
  std::string text;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info != nullptr) {
    com::Bstr description;
    info->GetDescription(description.Receive());
    info->Release();
    text = cmr::Utf16ToUtf8(description.Text());
  }
  if (text.empty()) {
    // Win32ErrorText gives the code in decimal when the system has no text.
    text = cmr::Utf16ToUtf8(cmr::Win32ErrorText(static_cast<DWORD>(hr)));
    if (text == std::to_string(static_cast<int32_t>(hr))) text.clear();
  }
  text = Trimmed(text);
  return text.empty() ? std::string(code) : std::string(code) + ": " + text;
}

}  // namespace tool
