// The exported functions: class objects, unloading, registration.
#include "com/exports.h"

#include "base/com/class_objects.h"
#include "base/com/module.h"
#include "base/com/registration.h"
#include "com/class_table.h"
#include "com/module_path.h"
#include "platform/api/kernel.h"
#include "task/flat_run.h"

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  size_t count = 0;
  const com::ClassEntry* table = com::ClassTable(&count);
  return com::GetClassObject(table, count, clsid, riid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return com::Module::CanUnload() ? S_OK : S_FALSE; }

namespace {

// Registration runs in the system's locale and gives the thread its own back
// on every way out.
class SystemLocaleScope {
 public:
  SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~SystemLocaleScope() { SetThreadLocale(saved_); }
  SystemLocaleScope(const SystemLocaleScope&) = delete;
  SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

 private:
  LCID saved_;
};

}  // namespace

HRESULT STDAPICALLTYPE DllRegisterServer() {
  SystemLocaleScope locale;
  const auto& library = com::typelib::ComponentLibrary();
  std::u16string path = com::ModulePath();
  HRESULT hr = com::RegisterClasses(library, path);
  if (FAILED(hr)) return hr;
  return com::RegisterTypeLibrary(library, path);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
  SystemLocaleScope locale;
  const auto& library = com::typelib::ComponentLibrary();
  HRESULT hr = com::UnregisterTypeLibrary(library);
  HRESULT classes = com::UnregisterClasses(library);
  return FAILED(hr) ? hr : classes;
}

HRESULT EC_CDECL Run(BSTR bstrManagementComputer, BSTR bstrSavePath, BSTR bstrConfigFile, BSTR strProductName,
                     bool process_backups, VARIANT_BOOL ClnAutoBcbLogs, ULONG buf_size) {
  return cmr::RunTask(bstrManagementComputer, bstrSavePath, bstrConfigFile, strProductName, process_backups,
                      ClnAutoBcbLogs, buf_size);
}
