#include "platform/host/classic/classic_log.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/formats/evt_reader.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/classic/classic_view.h"

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

uint32_t RecordListLog::NumberAt(size_t index) {
  return formats::EvtRecordView(records_[index]).RecordNumber();
}

namespace {

bool IsEvtxImage(const std::vector<uint8_t>& bytes) {
  static constexpr char kSignature[8] = {'E', 'l', 'f', 'F', 'i', 'l', 'e', '\0'};
  return bytes.size() >= 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

// The classic view of an .evtx file's events, in record-id order.
std::unique_ptr<ClassicLog> EvtxBackup(const std::vector<uint8_t>& bytes) {
  formats::EvtxReadResult read = formats::ReadEvtx(bytes);
  if (!read.valid) return nullptr;
  std::sort(read.records.begin(), read.records.end(),
            [](const auto& a, const auto& b) { return a.recordId < b.recordId; });
  std::vector<std::vector<uint8_t>> records;
  for (const auto& r : read.records) records.push_back(ClassicRecordOf(r));
  return std::make_unique<RecordListLog>(std::move(records), (read.header.flags & 2) != 0);
}

std::unique_ptr<ClassicLog> EvtBackup(const std::vector<uint8_t>& bytes) {
  formats::EvtFile file = formats::ReadEvtFile(bytes);
  if (!file.headerValid && file.records.empty()) return nullptr;
  std::vector<std::vector<uint8_t>> records;
  for (auto& r : file.records) records.push_back(std::move(r.bytes));
  return std::make_unique<RecordListLog>(std::move(records), file.Full());
}

}  // namespace

DWORD ReadClassicBackupFile(const std::string& linuxPath, std::unique_ptr<ClassicLog>* out) {
  struct stat info{};
  if (stat(linuxPath.c_str(), &info) != 0) {
    std::string folder = linuxPath.substr(0, linuxPath.find_last_of('/') + 1);
    return folder.empty() || stat(folder.c_str(), &info) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
  std::vector<uint8_t> bytes;
  if (!formats::ReadFileBytes(linuxPath, &bytes)) return ERROR_ACCESS_DENIED;
  *out = IsEvtxImage(bytes) ? EvtxBackup(bytes) : EvtBackup(bytes);
  return *out ? 0 : ERROR_EVENTLOG_FILE_CORRUPT;
}

}  // namespace host
