// FindFirstFileW / FindNextFileW / FindClose over a snapshot of a folder.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/files/file_info.h"
#include "platform/host/host.h"
#include "platform/host/kernel/handles.h"

namespace {

class FindObject : public host::KernelObject {
 public:
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Windows wildcards, case-insensitive: * any run, ? one character, or none
// at the end of the name ("*.evt?" matches "x.evt" and "x.evtx").
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*" || pattern == u"*.*") return true;
  size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == u'*' || pattern[p] == u'?')) ++p;
  return p == pattern.size();
}

WIN32_FIND_DATAW Describe(const std::string& dir, const std::string& name) {
  WIN32_FIND_DATAW data{};
  struct stat st {};
  stat((dir + "/" + name).c_str(), &st);
  data.dwFileAttributes = host::AttributesOf(st);
  data.ftCreationTime = host::FileTimeOf(st.st_mtim);
  data.ftLastAccessTime = host::FileTimeOf(st.st_atim);
  data.ftLastWriteTime = host::FileTimeOf(st.st_mtim);
  if (!S_ISDIR(st.st_mode)) {
    data.nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(st.st_size) >> 32);
    data.nFileSizeLow = static_cast<DWORD>(st.st_size);
  }
  std::u16string wide = plat::Utf8ToUtf16(name).substr(0, MAX_PATH - 1);
  std::memcpy(data.cFileName, wide.data(), wide.size() * sizeof(char16_t));
  return data;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  HOST_FAULT_RETURN("FindFirstFileW", INVALID_HANDLE_VALUE);
  std::u16string full = pattern ? pattern : u"";
  size_t cut = full.find_last_of(u"\\/");
  std::u16string folder = cut == std::u16string::npos ? u"." : full.substr(0, cut + 1);
  std::u16string mask = cut == std::u16string::npos ? full : full.substr(cut + 1);
  std::string dir;
  if (!host::MapPathArgument(folder.c_str(), &dir)) return INVALID_HANDLE_VALUE;
  DIR* d = mask.empty() ? nullptr : opendir(dir.c_str());
  if (!d) {
    SetLastError(mask.empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto find = std::make_shared<FindObject>();
  bool driveRoot = folder.size() <= 3 && folder.size() >= 2 && folder[1] == u':';
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (driveRoot && (name == "." || name == "..")) continue;
    if (Matches(mask, plat::Utf8ToUtf16(name))) find->entries.push_back(Describe(dir, name));
  }
  closedir(d);
  if (find->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = find->entries[find->next++];
  return host::AddHandle(find);
}

BOOL FindNextFileW(HANDLE handle, LPWIN32_FIND_DATAW data) {
  HOST_FAULT_RETURN("FindNextFileW", FALSE);
  auto find = host::HandleAs<FindObject>(handle);
  if (!find) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (find->next >= find->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *data = find->entries[find->next++];
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  HOST_FAULT_RETURN("FindClose", FALSE);
  if (!host::HandleAs<FindObject>(handle) || !host::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
