/* Calls the component's flat Run export the way a C host does: the DLL is
 * loaded by path, nothing is registered, no class factory is involved.
 *   flat_run_client DLL CONFIG SAVE_FOLDER
 * Prints "Run returned 0x........" and exits 0 when Run succeeded. */
#include <windows.h>

#include <oleauto.h>
#include <stdio.h>

typedef HRESULT(__cdecl* RunFunction)(BSTR, BSTR, BSTR, BSTR, unsigned char, VARIANT_BOOL, ULONG);

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: flat_run_client DLL CONFIG SAVE_FOLDER\n");
    return 2;
  }
  HMODULE module = LoadLibraryW(argv[1]);
  if (!module) {
    fprintf(stderr, "cannot load the component: error %lu\n", GetLastError());
    return 1;
  }
  RunFunction run = (RunFunction)(void*)GetProcAddress(module, "Run");
  if (!run) {
    fprintf(stderr, "the component has no Run export\n");
    return 1;
  }
  CoInitialize(NULL);
  BSTR computer = SysAllocString(L"");
  BSTR folder = SysAllocString(argv[3]);
  BSTR config = SysAllocString(argv[2]);
  BSTR product = SysAllocString(L"Overseer");
  HRESULT hr = run(computer, folder, config, product, 1, VARIANT_FALSE, 0);
  printf("Run returned 0x%08lX\n", (unsigned long)hr);
  SysFreeString(computer);
  SysFreeString(folder);
  SysFreeString(config);
  SysFreeString(product);
  CoUninitialize();
  return FAILED(hr) ? 1 : 0;
}
