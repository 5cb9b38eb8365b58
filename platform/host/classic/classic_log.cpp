#include "platform/host/classic/classic_log.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/formats/file_window.h"
#include "platform/host/classic/evt_file_log.h"
#include "platform/host/classic/evtx_classic_log.h"

namespace host {

size_t ClassicLog::LowerBound(uint32_t number) {
  size_t low = 0, high = Size();
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    if (NumberAt(mid) < number) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

namespace {

// False when the file cannot be read; *evtx tells whether it starts with
// the .evtx file signature.
bool StartsAsEvtx(const std::string& linuxPath, bool* evtx) {
  static constexpr char kSignature[8] = {'E', 'l', 'f', 'F', 'i', 'l', 'e', '\0'};
  formats::FileWindow window;
  if (!window.Open(linuxPath, nullptr)) return false;
  char start[8] = {};
  *evtx = window.Read(0, start, sizeof start) == sizeof start && std::equal(kSignature, kSignature + 8, start);
  return true;
}

}  // namespace

DWORD ReadClassicBackupFile(const std::string& linuxPath, std::unique_ptr<ClassicLog>* out) {
  struct stat info {};
  if (stat(linuxPath.c_str(), &info) != 0) {
    std::string folder = linuxPath.substr(0, linuxPath.find_last_of('/') + 1);
    return folder.empty() || stat(folder.c_str(), &info) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
  bool evtx = false;
  if (!StartsAsEvtx(linuxPath, &evtx)) return ERROR_ACCESS_DENIED;
  if (!evtx) {
    DWORD error = 0;
    *out = EvtFileLog::Open(linuxPath, &error);
    return error;
  }
  *out = EvtxClassicLog::OpenFile(linuxPath);
  return *out ? 0 : ERROR_EVENTLOG_FILE_CORRUPT;
}

}  // namespace host
