// "read FILE": the records of a classic .evt or an .evtx file.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/text.h"
#include "platform/host/files/paths.h"
#include "tools/command.h"
#include "tools/log_file_read.h"
#include "tools/machine.h"
#include "tools/option_values.h"
#include "tools/options.h"
#include "tools/task_client.h"

namespace {

constexpr char kName[] = "read";
// The exit status when the file was read to its end past damage: records
// were skipped, or a checksum, a chunk or the file's end was found wrong.
constexpr int kDamagedStatus = 3;

enum class LogFormat { Unknown, Evt, Evtx };

// By the file's first bytes ("ElfFile" for .evtx; a header of 0x30 bytes with
// "LfLe" for .evt), else by its extension.
LogFormat FormatOf(const std::string& path) {
  char head[8] = {};
  std::ifstream in(path, std::ios::binary);
  if (in.read(head, sizeof(head))) {
    if (std::memcmp(head, "ElfFile", 7) == 0) return LogFormat::Evtx;
    if (std::memcmp(head, "\x30\0\0\0LfLe", 8) == 0) return LogFormat::Evt;
  }
  std::string ext = path.size() > 5 ? path.substr(path.size() - 5) : path;
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".evtx") return LogFormat::Evtx;
  if (ext.size() == 5 && ext.substr(1) == ".evt") return LogFormat::Evt;
  return LogFormat::Unknown;
}

int RunRead(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {{"json", false}, tool::kMachineOption}, &error)) return tool::UsageError(kName, error);
  if (options.Positional().size() != 1) return tool::UsageError(kName, "give one log file");
  const std::string& file = options.Positional()[0];
  // Windows paths of a machine folder's drives ("C:\...") need its computer.
  tool::Machine machine;
  if (options.Has("machine") && !machine.Open(options.Value("machine"), &error)) return tool::Failure(kName, error);
  bool windowsPath = file.size() > 1 && (file[1] == ':' || file[0] == '\\');
  std::u16string path = windowsPath ? cmr::Utf8ToUtf16(file) : tool::WidePath(file);
  std::string local = file;
  if (windowsPath && host::MapPath(path, &local) != 0) return tool::Failure(kName, "cannot reach " + file);
  if (int bad = tool::CheckInputFile(local, false, &error)) return tool::Refuse(kName, bad, error);
  LogFormat format = FormatOf(local);
  if (format == LogFormat::Unknown) return tool::Failure(kName, file + " is neither a classic .evt nor an .evtx file");
  tool::RecordPrinter printer(options.Has("json"));
  tool::Progress progress;
  tool::ReadReport report;
  bool ok = format == LogFormat::Evt ? tool::ReadEvtRecords(path, printer, progress, report, &error)
                                     : tool::ReadEvtxRecords(path, printer, progress, report, &error);
  progress.Clear();
  for (const std::string& line : report.diagnostics) std::fprintf(stderr, "%s: %s\n", file.c_str(), line.c_str());
  if (!ok) return tool::Failure(kName, file + ": " + error);
  // The summary; with --json it goes to stderr, so that stdout holds only records.
  std::fprintf(options.Has("json") ? stderr : stdout, "%zu record%s, %llu skipped\n", printer.Count(),
               printer.Count() == 1 ? "" : "s", static_cast<unsigned long long>(report.skipped));
  return report.Damaged() ? kDamagedStatus : 0;
}

}  // namespace

EC_COMMAND("read", "show the records of an .evt or .evtx file",
           "usage: eventcollector read FILE [--json] [--machine DIR]\n\n"
           "Reads a log file through the platform's event-log functions and prints every\n"
           "record: a classic .evt file through OpenBackupEventLogW and ReadEventLogW with\n"
           "the fields of each EVENTLOGRECORD and its insertion strings; an .evtx file\n"
           "through EvtQuery and EvtRender with the system values and the user values of\n"
           "each event, each with its type. With --json, one JSON object per record.\n"
           "FILE may be a Windows path (C:\\...) of the machine folder given with --machine.\n\n"
           "Ends with \"N records, M skipped\" (on stderr with --json). What was found\n"
           "damaged is reported on stderr. Exit status: 0 when the file was read whole,\n"
           "3 when records were skipped or the file is damaged, 1 when reading stopped.",
           RunRead);
