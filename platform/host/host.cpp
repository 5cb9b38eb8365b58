#include "platform/host/host.h"

#include <algorithm>

namespace host {
namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

std::u16string_view StripComputerPrefix(std::u16string_view name) {
  while (!name.empty() && (name.front() == u'\\' || name.front() == u'/')) name.remove_prefix(1);
  return name;
}

void SetDefaultEnvironment(Computer& c) {
  auto& env = c.Environment();
  env[u"SystemRoot"] = u"C:\\Windows";
  env[u"windir"] = u"C:\\Windows";
  env[u"SystemDrive"] = u"C:";
  env[u"ProgramFiles"] = u"C:\\Program Files";
  env[u"TEMP"] = u"C:\\Windows\\Temp";
  env[u"TMP"] = u"C:\\Windows\\Temp";
  env[u"COMPUTERNAME"] = c.Name();
}

}  // namespace

bool NoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

Computer::Computer(std::u16string name) : name_(std::move(name)) { SetDefaultEnvironment(*this); }

Host& Host::Get() {
  static Host* instance = new Host();  // lives until the process ends
  return *instance;
}

Host::Host() { Reset(); }

Computer& Host::Add(const std::u16string& name) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  auto& slot = computers_[name];
  if (!slot) slot = std::make_unique<Computer>(name);
  return *slot;
}

Computer* Host::Find(std::u16string_view name) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  name = StripComputerPrefix(name);
  if (name.empty() || name == u"." || EqualNoCase(name, u"localhost")) return &Local();
  auto it = computers_.find(name);
  return it == computers_.end() ? nullptr : it->second.get();
}

Computer& Host::Local() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  return Add(local_);
}

void Host::SetLocal(const std::u16string& name) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  Add(name);
  local_ = name;
}

std::vector<Computer*> Host::All() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  std::vector<Computer*> all;
  for (auto& [name, computer] : computers_) all.push_back(computer.get());
  return all;
}

void Host::Reset() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  computers_.clear();
  local_ = kDefaultComputerName;
  Add(local_);
}

}  // namespace host
