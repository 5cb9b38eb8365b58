// "dump": an event output file (.adevt) or description file (.descr) decoded
// and shown as aligned text, or as one JSON object per line.
#include <cstdio>

#include "render/event_file_print.h"
#include "tools/command.h"

namespace {

int RunDump(const tool::Args& args) {
  cmr::EventFileFormat format = cmr::EventFileFormat::Text;
  std::string path;
  for (const std::string& a : args) {
    if (a == "--json") {
      format = cmr::EventFileFormat::Json;
    } else if (path.empty() && !a.empty() && a[0] != '-') {
      path = a;
    } else {
      std::fprintf(stderr, "eventcollector dump: unexpected argument '%s'\n", a.c_str());
      return 2;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "eventcollector dump: no file given\n");
    return 2;
  }
  return cmr::PrintEventFile(path, format, stdout, stderr);
}

}  // namespace

EC_COMMAND("dump", "show the entries of an .adevt or .descr file",
           "usage: eventcollector dump FILE [--json]\n\n"
           "Decodes an event output file (.adevt) or description file (.descr) and prints\n"
           "every entry as aligned \"TAG  value\" lines, or with --json one JSON object per\n"
           "line. A damaged or cut-off file is reported with the number of whole entries\n"
           "read, and the command then exits with 1.",
           RunDump);
