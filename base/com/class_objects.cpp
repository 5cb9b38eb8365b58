#include "base/com/class_objects.h"

#include <map>
#include <mutex>

namespace com {
namespace {

struct FactoryCache {
  std::mutex mutex;
  std::map<const ClassEntry*, IClassFactory*> factories;  // kept until the process ends
};

FactoryCache& Cache() {
  static FactoryCache* cache = new FactoryCache();
  return *cache;
}

}  // namespace

HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const ClassEntry* entry = nullptr;
  for (size_t i = 0; i < count && !entry; ++i)
    if (*table[i].clsid == clsid) entry = &table[i];
  if (!entry || !entry->makeFactory) return CLASS_E_CLASSNOTAVAILABLE;

  FactoryCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.mutex);
  IClassFactory*& factory = cache.factories[entry];
  if (!factory) {
    HRESULT hr = entry->makeFactory(&factory);
    if (FAILED(hr)) {
      cache.factories.erase(entry);
      return hr;
    }
  }
  return factory->QueryInterface(riid, object);
}

}  // namespace com
