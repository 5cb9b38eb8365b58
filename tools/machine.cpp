#include "tools/machine.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/api/utf.h"
#include "platform/host/machine/machine_folder.h"
#include "platform/host/registry/registry_file.h"
#include "platform/host/registry/registry_values.h"
#include "tools/demo_machine.h"
#include "tools/machine_accounts.h"

namespace tool {
namespace {

namespace fs = std::filesystem;

// The computer name that the folder's registry gives; empty when none.
std::u16string RegisteredName(host::Computer& computer) {
  host::Lock lock;
  auto key = host::Registry::Find(computer.Service<host::Registry>().Root(HKEY_LOCAL_MACHINE),
                                  u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
  std::u16string name;
  if (key) host::ReadStringValue(*key, u"ComputerName", &name);
  return name;
}

bool Load(const std::string& folder, std::string* error) {
  std::vector<std::string> diagnostics;
  host::Computer* computer = &host::Host::Get().Local();
  DWORD e = host::LoadMachineFolder(*computer, folder, &diagnostics);
  std::u16string name = e == 0 ? RegisteredName(*computer) : std::u16string();
  if (e == 0 && !name.empty() && !host::EqualNoCase(name, computer->Name())) {
    // The computer takes the name its registry gives.
    host::Host::Get().SetLocal(name);
    computer = &host::Host::Get().Local();
    diagnostics.clear();
    e = host::LoadMachineFolder(*computer, folder, &diagnostics);
  }
  if (e != 0) {
    *error = "cannot load the machine folder " + folder + (e == 3 ? ": no such folder" : "");
    for (const auto& d : diagnostics) *error += "\n  " + d;
    return false;
  }
  for (const auto& d : diagnostics) std::fprintf(stderr, "eventcollector: machine: %s\n", d.c_str());
  LoadProfileAccounts(*computer);
  return true;
}

}  // namespace

bool Machine::Open(const std::string& folder, std::string* error) {
  if (folder.empty()) {
    if (!temporary_.Make("eventcollector-machine")) {
      *error = "cannot make a temporary folder for the demonstration machine";
      return false;
    }
    folder_ = temporary_.Path();
    if (!WriteDemoMachine(folder_, error)) return false;
  } else {
    folder_ = folder;
  }
  return Load(folder_, error);
}

std::u16string Machine::ComputerArgument() const {
  host::Lock lock;
  return host::Host::Get().Local().Name();
}

bool Machine::SaveRegistry(std::string* error) const {
  std::vector<fs::path> exports;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".reg" && entry.is_regular_file(ec)) exports.push_back(entry.path());
  }
  if (exports.size() > 1) {
    *error = "the machine folder " + folder_ + " has several registry exports; merge them into one to write it back";
    return false;
  }
  fs::path target = exports.empty() ? fs::path(folder_) / "machine.reg" : exports.front();
  // Written beside the export and renamed over it, so that a failed write
  // never leaves a cut-off registry.
  fs::path partial = target;
  partial += ".partial";
  DWORD e = host::ExportRegFile(host::Host::Get().Local(), u"HKEY_LOCAL_MACHINE", partial.string());
  if (e == 0) fs::rename(partial, target, ec);
  if (e != 0 || ec) {
    fs::remove(partial, ec);
    *error = "cannot write the registry export " + target.string();
    return false;
  }
  return true;
}

}  // namespace tool
