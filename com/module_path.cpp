#include "com/module_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>

#include "platform/api/utf.h"
#endif

namespace com {

#ifdef _WIN32
extern "C" IMAGE_DOS_HEADER __ImageBase;

std::u16string ModulePath() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH * 4);
  return std::u16string(path, path + n);
}
#else
std::u16string ModulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&ModulePath), &info) || !info.dli_fname) return {};
  return plat::Utf8ToUtf16(info.dli_fname);
}
#endif

}  // namespace com
