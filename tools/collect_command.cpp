// "collect": the new records of a log or an event file, into a folder that
// keeps the stored position from call to call.
#include <cstdio>

#include "base/text.h"
#include "tools/collection.h"
#include "tools/command.h"
#include "tools/option_values.h"
#include "tools/options.h"
#include "tools/progress.h"

namespace {

constexpr char kName[] = "collect";

const std::vector<tool::OptionSpec> kSpecs = {
    {"log", true},     {"file", true},       {"out", true}, {"process-backups", false}, {"delete-backups", true},
    {"product", true}, tool::kMachineOption,
};

bool Request(const tool::Options& o, tool::CollectRequest* r, std::string* error) {
  if (o.Has("log") == o.Has("file")) return *error = "give --log NAME or --file PATH", false;
  if (!o.Has("out")) return *error = "give --out DIR", false;
  r->outDir = o.Value("out");
  r->file = o.Value("file");
  r->log = cmr::Utf8ToUtf16(o.Has("log") ? o.Value("log") : o.Value("file"));
  r->switches.processBackups = o.Has("process-backups");
  if (o.Has("product")) r->switches.product = cmr::Utf8ToUtf16(o.Value("product"));
  if (o.Has("delete-backups")) {
    uint32_t hours = 0;
    if (!tool::CheckNumber("delete-backups", o.Value("delete-backups"), 0xFFFF, &hours, error)) return false;
    r->switches.deleteBackupsAfterHours = static_cast<uint16_t>(hours);
  }
  return true;
}

// The component's words for records skipped as unreadable ("Event record N
// could not be read and was skipped", "Event records N to M could not be
// read and were skipped").
constexpr char kUnreadableRecords[] = " could not be read and w";
// The status of a collection that skipped records, as `read` gives for a
// damaged file.
constexpr int kDamagedStatus = 3;

int RunCollect(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, kSpecs, &error)) return tool::UsageError(kName, error);
  if (!options.Positional().empty()) return tool::UsageError(kName, "unexpected argument " + options.Positional()[0]);
  tool::CollectRequest request;
  if (!Request(options, &request, &error)) return tool::UsageError(kName, error);
  tool::Progress progress;
  progress.Show("Loading the machine...");
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  progress.Show("Collecting " + cmr::Utf16ToUtf8(request.log) + "...");
  tool::CollectOutcome outcome;
  const bool collected = tool::CollectOnce(session, request, &outcome, &error);
  progress.Clear();
  if (!collected) return tool::Failure(kName, "the collection failed: " + error);
  tool::PrintOutcome(outcome);
  // The component names the records a damaged log could not give in the
  // task's warning; they are lost to this collection and to every later one.
  if (outcome.warning.find(kUnreadableRecords) != std::string::npos) {
    std::fprintf(stderr, "%s: records of the log could not be read: %s\n", kName, outcome.warning.c_str());
    return kDamagedStatus;
  }
  return 0;
}

}  // namespace

EC_COMMAND("collect", "collect the new records of a log or an event file into a folder",
           "usage: eventcollector collect (--log NAME | --file PATH) --out DIR [options]\n\n"
           "Collects, through the component's Task, every record of the log (or of the\n"
           "event file) that is newer than the last call's, into an event file in DIR.\n"
           "DIR keeps the task configuration with the stored position (<name>.task.xml),\n"
           "so the first call collects everything and each later call only what is new.\n"
           "Prints the number of records, the first and last positions, the event file\n"
           "and the task's warning. A failed collection stores nothing: the next call\n"
           "collects the same records again. Records of a damaged log that could not\n"
           "be read are named in the warning, which then goes to stderr too, and the\n"
           "status is 3 (the records read are collected and stored as usual).\n\n"
           "  --log NAME             a log or channel of the computer (Security,\n"
           "                         Microsoft-Windows-TaskScheduler/Operational, ...)\n"
           "  --file PATH            an .evt or .evtx file instead of a log (an .evtx file\n"
           "                         through the Windows Event Log interface)\n"
           "  --out DIR              the output folder (created when missing)\n"
           "  --process-backups      read the log's archived backups too\n"
           "  --delete-backups HOURS delete fully read backups older than HOURS\n"
           "  --product NAME         the product name (its registry key gives the open attempts)\n"
           "  --machine DIR          a machine folder instead of the demonstration machine",
           RunCollect);
