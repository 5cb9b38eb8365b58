// Runs the built eventcollector program as a person does, in a folder of
// its own, and keeps what it printed and its exit status.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_text.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace clitest {

using testsupport::ReadFileText;

struct Output {
  int status = -1;
  std::string out, err;
};

// The file as text, UTF-16 files (a registry export) narrowed to ASCII.
inline std::string ReadText(const std::string& path) {
  std::string bytes = ReadFileText(path);
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
    return bytes;
  std::string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(bytes[i + 1] == 0 ? bytes[i] : '?');
  return text;
}

// Runs a program with arguments (none holding a quote) through the shell;
// stderr goes to a file of `dir`.
inline Output RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir) {
  std::string command = "'" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  Output result;
  result.status = testsupport::RunCommand(command + " </dev/null 2>'" + dir + "/.stderr'", result.out);
  result.err = ReadFileText(dir + "/.stderr");
  return result;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The numbers that follow each `key`: after the next `marker` (when given)
// and any blanks.
inline std::vector<uint64_t> Numbers(const std::string& text, const std::string& key, const std::string& marker = {}) {
  std::vector<uint64_t> found;
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    size_t pos = marker.empty() ? at + key.size() : text.find(marker, at + key.size());
    if (pos == std::string::npos) break;
    if (!marker.empty()) pos += marker.size();
    while (pos < text.size() && text[pos] == ' ') ++pos;
    size_t end = pos;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end > pos) found.push_back(std::stoull(text.substr(pos, end - pos)));
  }
  return found;
}

// Every piece is found in `text`.
inline void ExpectPieces(const std::string& text, const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = std::string(EC_BINARY_DIR) + "/eventcollector";
    if (!std::filesystem::exists(program_)) GTEST_SKIP() << "eventcollector not built: " << program_;
  }

  // Runs the program; in the arguments "{dir}" stands for the test's folder
  // and "{machine}" for the demonstration machine folder.
  Output Run(std::vector<std::string> args) {
    for (std::string& arg : args) {
      if (arg.starts_with("{dir}")) arg.replace(0, 5, dir_.path());
      if (arg == "{machine}") arg = Machine();
    }
    return RunProgram(program_, args, dir_.path());
  }
  // The same with the arguments written as one line, parted at blanks; ''
  // is an empty argument.
  Output Run(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word == "''" ? "" : word);
    return Run(args);
  }

  // The same for a run that is to succeed.
  static Output Ok(Output out) {
    EXPECT_EQ(out.status, 0) << out.err;
    return out;
  }
  Output RunOk(const std::vector<std::string>& args) { return Ok(Run(args)); }
  Output RunOk(const std::string& line) { return Ok(Run(line)); }

  // A demonstration machine folder made by "machine init", once per test.
  const std::string& Machine() {
    if (machine_.empty()) {
      machine_ = dir_.path() + "/machine";
      RunOk({"machine", "init", machine_});
    }
    return machine_;
  }

  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }

  std::string program_;
  testsupport::TempDir dir_;
  std::string machine_;
};

}  // namespace clitest
