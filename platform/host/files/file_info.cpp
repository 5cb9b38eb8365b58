#include "platform/host/files/file_info.h"

#include "platform/api/kernel.h"
#include "platform/host/files/paths.h"
#include "platform/host/kernel/clock.h"

namespace host {

FILETIME FileTimeOf(const struct timespec& t) {
  ULONGLONG v =
      kUnixEpochAsFileTime + static_cast<ULONGLONG>(t.tv_sec) * 10000000ULL + static_cast<ULONGLONG>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

DWORD AttributesOf(const struct stat& st) {
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

DWORD MissingPathError(const std::string& linuxPath) {
  auto slash = linuxPath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st;
  std::string parent = linuxPath.substr(0, slash);
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

bool MapPathArgument(const WCHAR* path, std::string* linuxPath) {
  DWORD e = path ? MapPath(path, linuxPath) : ERROR_INVALID_NAME;
  if (e) SetLastError(e);
  return e == 0;
}

}  // namespace host
