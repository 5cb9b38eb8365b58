#include "platform/host/machine/machine_folder.h"

#include <algorithm>
#include <filesystem>

#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/evt/machine_channels.h"
#include "platform/host/registry/registry_file.h"

namespace host {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> RegistryExports(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".reg" && entry.is_regular_file(ec)) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

DWORD LoadMachineFolder(Computer& computer, const std::string& dir, std::vector<std::string>* diagnostics) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return ERROR_PATH_NOT_FOUND;
  Lock lock;
  std::string root = fs::absolute(dir, ec).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  computer.SetRoot(root);
  std::vector<std::string> exports = RegistryExports(dir);
  if (exports.empty() && diagnostics) diagnostics->push_back("no registry export (*.reg) in " + dir);
  for (const auto& file : exports) {
    std::string message;
    if (DWORD e = ImportRegFile(computer, file, &message)) {
      if (diagnostics) diagnostics->push_back(file + ": " + message);
      return e;
    }
  }
  LoadMachineChannels(computer, diagnostics);
  ClassicLogsOf(computer).Reload();
  return 0;
}

}  // namespace host
