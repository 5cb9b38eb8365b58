#include "tools/options.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tool {

bool Options::Parse(const Args& args, const std::vector<OptionSpec>& specs, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      positional_.push_back(a);
      continue;
    }
    size_t equals = a.find('=');
    std::string name = a.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const OptionSpec* spec = nullptr;
    for (const auto& s : specs)
      if (s.name == name) spec = &s;
    if (!spec) {
      *error = "unknown option '--" + name + "'";
      return false;
    }
    if (!spec->takesValue) {
      if (equals != std::string::npos) {
        *error = "option '--" + name + "' takes no value";
        return false;
      }
      values_[name].push_back({});
    } else if (equals != std::string::npos) {
      values_[name].push_back(a.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      values_[name].push_back(args[++i]);
    } else {
      *error = "option '--" + name + "' needs a value";
      return false;
    }
  }
  return true;
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> Options::Values(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? std::vector<std::string>() : it->second;
}

int UsageError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "eventcollector %s: %s\n(see 'eventcollector %s --help')\n", command.c_str(), message.c_str(),
               command.c_str());
  return 2;
}

int Failure(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "eventcollector %s: %s\n", command.c_str(), message.c_str());
  return 1;
}

int Refuse(const std::string& command, int status, const std::string& message) {
  return status == 2 ? UsageError(command, message) : Failure(command, message);
}

bool ParseNumber(const std::string& text, uint32_t* value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  unsigned long long v = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool ParseSignedNumber(const std::string& text, int32_t* value) {
  if (text.empty() || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

}  // namespace tool
