#include "task/save_folder.h"

#include "platform/api/kernel.h"

namespace cmr {
namespace {

// 0 when the path is a folder, ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND
// when nothing has its name, else the failure.
DWORD ExistingFolder(const std::u16string& path) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  BY_HANDLE_FILE_INFORMATION information{};
  DWORD result = 0;
  if (!GetFileInformationByHandle(handle, &information)) {
    result = GetLastError();
  } else if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result = ERROR_FILE_EXISTS;
  }
  CloseHandle(handle);
  return result;
}

}  // namespace

DWORD EnsureFolderExists(const std::u16string& folder) {
  std::u16string path = folder;
  if (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.pop_back();
  const DWORD existing = ExistingFolder(path);
  if (existing != ERROR_FILE_NOT_FOUND && existing != ERROR_PATH_NOT_FOUND) return existing;
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return ERROR_BAD_ARGUMENTS;
  if (DWORD parent = EnsureFolderExists(path.substr(0, slash))) return parent;
  if (!CreateDirectoryW(path.c_str(), nullptr)) return GetLastError();
  SetLastError(0);
  return 0;
}

}  // namespace cmr
