// Command-line options of a command: "--name value", "--name=value" and
// flags, with the other arguments kept in order as positional ones.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/command.h"

namespace tool {

struct OptionSpec {
  std::string name;  // without the leading "--"
  bool takesValue = false;
};

class Options {
 public:
  // False with `error` for an unknown option or an option without its value.
  bool Parse(const Args& args, const std::vector<OptionSpec>& specs, std::string* error);

  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  // The last value given, or `fallback`.
  std::string Value(const std::string& name, const std::string& fallback = {}) const;
  // Every value given, in order.
  std::vector<std::string> Values(const std::string& name) const;
  const std::vector<std::string>& Positional() const { return positional_; }

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positional_;
};

// The option every command that works on a computer takes.
inline const OptionSpec kMachineOption{"machine", true};

// Reports a misuse of a command on stderr; returns the exit status 2.
int UsageError(const std::string& command, const std::string& message);
// Reports a failure of a command on stderr; returns the exit status 1.
int Failure(const std::string& command, const std::string& message);
// Reports as UsageError for the status 2, as Failure otherwise; returns `status`.
int Refuse(const std::string& command, int status, const std::string& message);

// A whole decimal or 0x-hexadecimal number of 32 bits; false when the text
// is anything else.
bool ParseNumber(const std::string& text, uint32_t* value);
bool ParseSignedNumber(const std::string& text, int32_t* value);

}  // namespace tool
