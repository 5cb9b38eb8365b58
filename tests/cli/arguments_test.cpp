#include "tests/cli/cli_fixture.h"

namespace clitest {
namespace {

TEST_F(Cli, EveryCommandDescribesItself) {
  Output list = Run("--help");
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

// What a command tells on stdout and stderr, and its status. A command that
// refuses prints nothing on stdout and changes no file. Values the component
// would read leniently ("5x" as 5, "abc" as 0) and files it would misread
// are refused before they are handed on.
TEST_F(Cli, CommandsTellWhatTheyRefuseOnStderr) {
  std::filesystem::create_directory(Path("folder.evtx"));
  // UTF-16 text, as a Windows editor saves it: the component would call it
  // an empty document.
  std::ofstream(Path("wide.xml"), std::ios::binary) << std::string("\xFF\xFE<\0a\0/\0>\0", 10);
  std::ofstream(Path("notes.txt")) << "hello";
  std::ofstream(Path("damaged.evt")) << std::string("\x30\0\0\0LfLe", 8) << std::string(40, '\xFF');
  std::ofstream(Path("broken.xml")) << "<Task>";
  struct Case {
    std::string args;
    int status;
    const char* out;
    std::string err;
  };
  const Case cases[] = {
      {"", 2, "usage: eventcollector <command>", ""},
      {"frobnicate", 2, "usage: eventcollector <command>", "unknown command 'frobnicate'"},
      {"logs --bogus", 2, "", "unknown option '--bogus'"},
      {"logs extra", 2, "", "unexpected argument 'extra'"},
      {"logs --machine {dir}/nowhere", 1, "", "no such folder"},
      {"config --last 5", 2, "", "--last '5': takes RN:TW"},
      {"config --preferred-api 4", 2, "", "--preferred-api '4': takes"},
      {"config --log", 2, "", "needs a value"},
      {"config --filter-file /nonexistent/filter.xml", 2, "", "--filter-file: cannot read /nonexistent/filter.xml"},
      {"config --filter-file {dir}/wide.xml", 2, "", "--filter-file: " + Path("wide.xml") + " is UTF-16 text"},
      {"run", 2, "", "give one configuration file"},
      {"run /nonexistent/task.xml", 1, "", "cannot read /nonexistent/task.xml"},
      {"run task.xml --buffer-size 0", 2, "", "--buffer-size '0': takes"},
      {"run {dir}/folder.evtx", 2, "", "is a folder"},
      {"run {dir}/wide.xml", 2, "", Path("wide.xml") + " is UTF-16 text; the document must be UTF-8"},
      {"run {dir}/broken.xml --machine {machine}", 1, "", "the task failed: 0x80004005"},
      {"read", 2, "", "give one log file"},
      {"read /nonexistent.evtx", 1, "", "cannot read /nonexistent.evtx"},
      {"read {dir}/folder.evtx", 2, "", Path("folder.evtx") + " is a folder, not a file"},
      {"read {dir}/notes.txt", 1, "", "neither a classic .evt nor an .evtx file"},
      {"read {dir}/damaged.evt", 1, "", "damaged.evt"},
      {"collect --log Security", 2, "", ""},
      {"collect --log Security --file x.evt --out {dir}/o", 2, "", ""},
      {"collect --log NoSuchLog --out {dir}/o --machine {machine}", 1, "", "Event log 'NoSuchLog' does not exist"},
      {"stats", 2, "", ""},
      {"stats Security System", 2, "", ""},
      {"audit --require logon:sometimes", 2, "", ""},
      {"machine init", 2, "", "give one folder"},
      {"filter --help", 0, "  filter add ", ""},
      {"filter help", 0, "  filter log remove ", ""},
      {"machine --help", 0, "  machine init ", ""},
      {"filter log --help", 0, "  filter log add ", ""},
      {"filter", 2, "", "  filter show "},
      {"filter bogus", 2, "", "unknown command 'filter bogus'"},
      {"filter show {dir}/wide.xml", 2, "", "is UTF-16 text"},
      {"filter show {dir}/missing.xml", 1, "", "cannot read " + Path("missing.xml")},
      {"filter log remove {dir}/missing.xml Security", 1, "", "cannot read " + Path("missing.xml")},
      {"filter add {dir}/wide.xml --event-id 1", 2, "", "is UTF-16 text"},
      {"filter add {dir}/f.xml --event-id abc", 2, "", "--event-id 'abc': 'abc' is not a decimal number"},
      {"filter add {dir}/f.xml --event-id 4624,abc", 2, "", "--event-id '4624,abc'"},
      {"filter add {dir}/f.xml --event-id 5x", 2, "", "--event-id '5x'"},
      {"filter add {dir}/f.xml --event-id 0x10", 2, "", "--event-id '0x10'"},
      {"filter add {dir}/f.xml --event-id 4624,", 2, "", "an empty piece"},
      {"filter add {dir}/f.xml --event-id ''", 2, "", "--event-id '': an empty piece"},
      {"filter add {dir}/f.xml --event-id 10-5", 2, "", "--event-id '10-5': the range 10-5 runs backwards"},
      {"filter add {dir}/f.xml --event-id 4700-", 2, "", "--event-id '4700-'"},
      {"filter add {dir}/f.xml --event-id 65536", 2, "", "65536 is above 65535"},
      {"filter add {dir}/f.xml --event-id 99999999999", 2, "", "is above 65535"},
      {"filter add {dir}/f.xml --level abc", 2, "", "--level 'abc'"},
      {"filter add {dir}/f.xml --level 5-1", 2, "", "--level '5-1': the range 5-1 runs backwards"},
      {"filter add {dir}/f.xml --level 256", 2, "", "256 is above 255"},
      {"filter add {dir}/f.xml --string 99999=x", 2, "", "--string '99999=x': takes N=TEXT with N from 1 to 65535"},
      {"filter add {dir}/f.xml --string 0=x", 2, "", "--string '0=x'"},
      {"filter add {dir}/f.xml --string 2x=y", 2, "", "--string '2x=y'"},
      {"filter add {dir}/f.xml --string alice", 2, "", "--string 'alice'"},
      {"filter add {dir}/f.xml --type x", 2, "", "--type 'x': takes a number from 0 to 65535"},
      {"filter add {dir}/f.xml --category 70000", 2, "", "--category '70000'"},
      {"filter add {dir}/f.xml --keywords mask", 2, "", "--keywords 'mask'"},
      {"filter add {dir}/f.xml --priority high", 2, "", "--priority 'high'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Output out = Run(c.args);
    EXPECT_EQ(out.status, c.status) << out.err;
    ExpectPieces(out.out, {c.out});
    ExpectPieces(out.err, {c.err});
    EXPECT_TRUE(c.status == 0 || *c.out != '\0' || out.out.empty()) << "a refusal prints nothing on stdout";
  }
  for (const char* untouched : {"f.xml", "missing.xml"}) EXPECT_FALSE(std::filesystem::exists(Path(untouched)));
  EXPECT_EQ(ReadFileText(Path("broken.xml")), "<Task>") << "a failed load leaves the file as it was";
}

}  // namespace
}  // namespace clitest
