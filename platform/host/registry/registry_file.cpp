#include "platform/host/registry/registry_file.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/api/utf.h"
#include "platform/formats/reg_text.h"
#include "platform/host/kernel/errno_map.h"
#include "platform/host/registry/registry_model.h"

namespace host {
namespace {

// The root key and the rest of a full key path; null for an unknown root.
RegistryKey::KeyPtr RootOf(Computer& computer, std::u16string_view path, std::u16string_view* rest) {
  size_t cut = path.find(u'\\');
  HKEY predefined;
  if (!PredefinedKeyByName(path.substr(0, cut), &predefined)) return nullptr;
  *rest = cut == std::u16string_view::npos ? std::u16string_view() : path.substr(cut + 1);
  return computer.Service<Registry>().Root(predefined);
}

void Apply(Computer& computer, const formats::RegTextKey& entry) {
  std::u16string_view rest;
  RegistryKey::KeyPtr root = RootOf(computer, entry.path, &rest);
  if (entry.remove) {
    auto names = SplitKeyPath(rest);
    if (names.empty()) return;
    std::u16string last = names.back();
    names.pop_back();
    RegistryKey::KeyPtr parent = root;
    for (const auto& n : names)
      if (parent) parent = parent->Subkey(n);
    if (parent) parent->RemoveSubkey(last);
    return;
  }
  bool created;
  RegistryKey::KeyPtr key = Registry::Create(root, rest, &created);
  for (const auto& v : entry.values) {
    if (v.remove) key->RemoveValue(v.name);
    else key->SetValue(v.name, v.type, v.data);
  }
}

void Collect(const RegistryKey& key, const std::u16string& path, std::vector<formats::RegTextKey>* out) {
  formats::RegTextKey entry;
  entry.path = path;
  for (const auto& v : key.Values()) entry.values.push_back(formats::RegTextValue{v.name, false, v.type, v.data});
  out->push_back(std::move(entry));
  for (const auto& [name, sub] : key.Subkeys()) Collect(*sub, path + u"\\" + sub->Name(), out);
}

}  // namespace

DWORD ImportRegFile(Computer& computer, const std::string& path, std::string* message) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Win32FromErrno(errno);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::vector<formats::RegTextKey> keys;
  std::string error;
  if (!formats::ParseRegText(bytes.str(), &keys, &error)) {
    if (message) *message = path + ": " + error;
    return ERROR_INVALID_DATA;
  }
  Lock lock;
  for (const auto& key : keys) {
    std::u16string_view rest;
    if (!RootOf(computer, key.path, &rest)) {
      if (message) *message = path + ": unknown root key in [" + plat::Utf16ToUtf8(key.path) + "]";
      return ERROR_INVALID_DATA;
    }
  }
  for (const auto& key : keys) Apply(computer, key);
  return 0;
}

DWORD ExportRegFile(Computer& computer, std::u16string_view rootKeyPath, const std::string& path) {
  std::vector<formats::RegTextKey> keys;
  {
    Lock lock;
    std::u16string_view rest;
    RegistryKey::KeyPtr root = RootOf(computer, rootKeyPath, &rest);
    RegistryKey::KeyPtr key = root ? Registry::Find(root, rest) : nullptr;
    if (!key) return ERROR_FILE_NOT_FOUND;
    std::u16string full(rootKeyPath);
    while (!full.empty() && full.back() == u'\\') full.pop_back();
    Collect(*key, full, &keys);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Win32FromErrno(errno);
  out << formats::WriteRegText(keys);
  out.close();
  return out ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace host
