// "config": a task configuration document built through ITaskConfig.
#include <cstdio>

#include "base/text.h"
#include "tools/command.h"
#include "tools/option_values.h"
#include "tools/options.h"
#include "tools/session.h"
#include "tools/task_client.h"

namespace {

constexpr char kName[] = "config";

const std::vector<tool::OptionSpec> kSpecs = {
    {"log", true},
    {"save-path", true},
    {"last", true},
    {"filter-file", true},
    {"load-from", true},
    {"compact-name", true},
    {"preferred-api", true},
    {"audit", true},
    {"output", true},
    {"resolve-sids", false},
    {"resolve-macs", false},
    {"resolve-computer-name", false},
    {"collect-resources", false},
    {"no-seek-last", false},
    tool::kMachineOption,
};

// "RN:TW": the last stored record number and its time written.
bool ParseLast(const std::string& text, std::pair<uint32_t, uint32_t>* last) {
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string tw = text.substr(colon + 1);
  if (tw == "-1") tw = "0xFFFFFFFF";
  return tool::ParseNumber(text.substr(0, colon), &last->first) && tool::ParseNumber(tw, &last->second);
}

// "TYPE" or "TYPE,SUBTYPE" of the audit policy check.
bool ParseAudit(const std::string& text, std::pair<int32_t, std::optional<int32_t>>* audit) {
  size_t comma = text.find(',');
  if (!tool::ParseSignedNumber(text.substr(0, comma), &audit->first)) return false;
  if (comma == std::string::npos) return true;
  int32_t second = 0;
  if (!tool::ParseSignedNumber(text.substr(comma + 1), &second)) return false;
  audit->second = second;
  return true;
}

// The PreferredAPI choice: a number 0..3 or its name.
bool ParsePreferredApi(const std::string& text, int32_t* choice) {
  static const char* const kNames[] = {"classic", "wevt", "classic-only", "wevt-only"};
  for (int32_t i = 0; i < 4; ++i) {
    if (text == kNames[i] || text == std::to_string(i)) {
      *choice = i;
      return true;
    }
  }
  return false;
}

// The settings the options ask for; false with `error` for a bad value.
bool Settings(const tool::Options& o, tool::ConfigSettings* s, std::string* error) {
  auto wide = [&](const char* name) { return std::optional<std::u16string>(cmr::Utf8ToUtf16(o.Value(name))); };
  if (o.Has("log")) s->log = wide("log");
  if (o.Has("save-path")) s->savePath = wide("save-path");
  if (o.Has("load-from")) s->loadFromEvtFile = wide("load-from");
  if (o.Has("compact-name")) s->compactName = wide("compact-name");
  if (o.Has("last")) {
    std::pair<uint32_t, uint32_t> last;
    if (!ParseLast(o.Value("last"), &last))
      return *error = tool::BadValue("last", o.Value("last"), "takes RN:TW, two numbers"), false;
    s->lastPosition = last;
  }
  if (o.Has("preferred-api")) {
    int32_t choice = 0;
    if (!ParsePreferredApi(o.Value("preferred-api"), &choice))
      return *error = tool::BadValue("preferred-api", o.Value("preferred-api"),
                                     "takes classic, wevt, classic-only or wevt-only (0 to 3)"),
             false;
    s->preferredApi = choice;
  }
  for (const auto& text : o.Values("audit")) {
    std::pair<int32_t, std::optional<int32_t>> audit;
    if (!ParseAudit(text, &audit)) return *error = tool::BadValue("audit", text, "takes TYPE or TYPE,SUBTYPE"), false;
    s->auditTypes.push_back(audit);
  }
  if (o.Has("filter-file")) {
    std::u16string filter;
    if (tool::CheckInputFile(o.Value("filter-file"), true, error) != 0 ||
        !tool::ReadTextFile(o.Value("filter-file"), &filter))
      return *error = "--filter-file: " + (error->empty() ? "cannot read " + o.Value("filter-file") : *error), false;
    s->filter = filter;
  }
  if (o.Has("no-seek-last")) s->seekLastFirstRun = false;
  s->resolveSids = o.Has("resolve-sids");
  s->resolveMacs = o.Has("resolve-macs");
  s->resolveComputerName = o.Has("resolve-computer-name");
  s->collectResources = o.Has("collect-resources");
  return true;
}

int RunConfig(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, kSpecs, &error)) return tool::UsageError(kName, error);
  if (!options.Positional().empty())
    return tool::UsageError(kName, "unexpected argument '" + options.Positional()[0] + "'");
  tool::ConfigSettings settings;
  if (!Settings(options, &settings, &error)) return tool::UsageError(kName, error);
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  std::u16string xml;
  if (!tool::BuildConfig(session.component(), settings, &xml, &error)) return tool::Failure(kName, error);
  if (!options.Has("output")) {
    std::fputs(cmr::Utf16ToUtf8(xml).c_str(), stdout);
    return 0;
  }
  if (!tool::WriteTextFile(options.Value("output"), xml, &error)) return tool::Failure(kName, error);
  return 0;
}

}  // namespace

EC_COMMAND("config", "build a task configuration document",
           "usage: eventcollector config [options] [--output FILE]\n\n"
           "Builds a task configuration with the component's TaskConfig object and writes\n"
           "the document to FILE (replacing it whole) or to standard output.\n\n"
           "  --log NAME               the log to collect; \"*\" lists the logs instead\n"
           "  --save-path DIR          folder of the event files\n"
           "  --last RN:TW             record number and time written of the last stored\n"
           "                           event (TW -1: none)\n"
           "  --filter-file FILE       a filter document (see 'eventcollector filter')\n"
           "  --load-from FILE         collect from an exported event file\n"
           "  --compact-name NAME      the log's short name in the event files\n"
           "  --preferred-api API      classic (then wevt), wevt (then classic),\n"
           "                           classic-only or wevt-only; or 0 to 3\n"
           "  --audit TYPE[,SUB]       an audit policy type to check (repeatable)\n"
           "  --resolve-sids           resolve user SIDs to account names\n"
           "  --resolve-macs           resolve MAC addresses of logon origins\n"
           "  --resolve-computer-name  resolve the names of logon origins\n"
           "  --collect-resources      write event descriptions (.descr) too\n"
           "  --no-seek-last           do not start at the newest event on a first run\n"
           "  --machine DIR            a machine folder instead of the demonstration machine",
           RunConfig);
