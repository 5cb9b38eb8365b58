#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, EveryCommandDescribesItself) {
  Output list = Run({"--help"});
  ASSERT_EQ(list.status, 0);
  size_t commands = 0;
  for (const auto& line : Lines(list.out)) {
    if (line.size() < 21 || line.compare(0, 2, "  ") != 0 || line[2] == ' ') continue;
    std::string name = line.substr(2, line.find_first_of(' ', 2) - 2);
    std::vector<std::string> args;
    std::istringstream words(line.substr(2, 18));
    for (std::string w; words >> w;) args.push_back(w);
    args.push_back("--help");
    Output help = Run(args);
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_EQ(help.out.rfind("usage: eventcollector " + args[0], 0), 0u) << help.out;
    ++commands;
  }
  EXPECT_GE(commands, 14u);
}

TEST_F(Cli, BadArgumentsAreToldOnStderr) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* told;
  };
  const Case cases[] = {
      {{}, 2, ""},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"logs", "--bogus"}, 2, "unknown option '--bogus'"},
      {{"logs", "extra"}, 2, "unexpected argument 'extra'"},
      {{"config", "--last", "5"}, 2, "--last '5': takes RN:TW"},
      {{"config", "--preferred-api", "4"}, 2, "--preferred-api '4': takes"},
      {{"config", "--log"}, 2, "needs a value"},
      {{"config", "--filter-file", "/nonexistent/filter.xml"}, 2, "--filter-file: cannot read /nonexistent/filter.xml"},
      {{"run"}, 2, "give one configuration file"},
      {{"run", "/nonexistent/task.xml"}, 1, "cannot read /nonexistent/task.xml"},
      {{"run", "task.xml", "--buffer-size", "0"}, 2, "--buffer-size '0': takes"},
      {{"read"}, 2, "give one log file"},
      {{"read", "/nonexistent.evtx"}, 1, "cannot read /nonexistent.evtx"},
      {{"machine", "init"}, 2, "give one folder"},
      {{"filter", "add", "f.xml", "--type", "x"}, 2, "--type 'x': takes a number"},
  };
  for (const auto& c : cases) {
    Output out = Run(c.args);
    std::string shown = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(out.status, c.status) << shown << ": " << out.err;
    EXPECT_NE(out.err.find(c.told), std::string::npos) << shown << ": " << out.err;
  }
}

}  // namespace
}  // namespace clitest
