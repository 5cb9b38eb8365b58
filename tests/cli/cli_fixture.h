// Runs the built eventcollector program as a person does, in a folder of
// its own, and keeps what it printed and its exit status.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

extern char** environ;

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

// Runs a program with arguments; stdout and stderr go to files of `dir`.
inline Output RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir) {
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string out = dir + "/.stdout", err = dir + "/.stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  Output result;
  if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileText(out);
  result.err = ReadFileText(err);
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

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = std::string(EC_BINARY_DIR) + "/eventcollector";
    if (!std::filesystem::exists(program_)) GTEST_SKIP() << "eventcollector not built: " << program_;
  }

  Output Run(const std::vector<std::string>& args) { return RunProgram(program_, args, dir_.path()); }

  // A demonstration machine folder made by "machine init", once per test.
  const std::string& Machine() {
    if (machine_.empty()) {
      machine_ = dir_.path() + "/machine";
      Output made = Run({"machine", "init", machine_});
      EXPECT_EQ(made.status, 0) << made.err;
    }
    return machine_;
  }

  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }

  // The arguments with "{dir}" standing for the test's folder and
  // "{machine}" for the demonstration machine folder.
  std::vector<std::string> Expand(std::vector<std::string> args) {
    for (std::string& arg : args) {
      if (arg.starts_with("{dir}")) arg.replace(0, 5, dir_.path());
      if (arg == "{machine}") arg = Machine();
    }
    return args;
  }

  std::string program_;
  testsupport::TempDir dir_;
  std::string machine_;
};

}  // namespace clitest
