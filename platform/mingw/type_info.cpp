#include "platform/mingw/type_info.h"

#include <windows.h>

#include <oleauto.h>

#include <mutex>
#include <utility>
#include <vector>

namespace plat {
namespace {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The library is loaded once. Its references are kept for the life of the
// process: releasing them while the DLL unloads could call into oleaut32
// after it is gone.
class TypeInfoCache {
 public:
  ITypeInfo* Find(REFIID iid, HRESULT* status) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!tried_) Load();
    *status = loadStatus_;
    if (!library_) return nullptr;
    for (const auto& [known, info] : infos_)
      if (known == iid) return info;
    ITypeInfo* info = nullptr;
    *status = library_->GetTypeInfoOfGuid(iid, &info);
    if (FAILED(*status)) return nullptr;
    infos_.emplace_back(iid, info);
    return info;
  }

 private:
  void Load() {
    tried_ = true;
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) {
      loadStatus_ = HRESULT_FROM_WIN32(GetLastError());
      return;
    }
    loadStatus_ = LoadTypeLibEx(path, REGKIND_NONE, &library_);
  }

  std::mutex lock_;
  bool tried_ = false;
  HRESULT loadStatus_ = S_OK;
  ITypeLib* library_ = nullptr;
  std::vector<std::pair<IID, ITypeInfo*>> infos_;
};

}  // namespace

ITypeInfo* ModuleTypeInfo(REFIID iid, HRESULT* status) {
  static TypeInfoCache* cache = new TypeInfoCache();  // never destroyed, see above
  return cache->Find(iid, status);
}

}  // namespace plat
