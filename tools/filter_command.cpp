// "filter show", "filter use" and "filter remove": a filter file read and
// changed through the component's Filters object.
#include <cstdio>

#include "base/com/bstr.h"
#include "base/text.h"
#include "tools/command.h"
#include "tools/filter_client.h"
#include "tools/options.h"
#include "tools/session.h"

namespace {

using tool::FilterFields;

std::string Utf8(const std::u16string& text) { return cmr::Utf16ToUtf8(text); }

void Criterion(const char* label, const std::string& value) { std::printf("    %-12s %s\n", label, value.c_str()); }

void PrintFilter(tool::FilterFile& file, const FilterFields& f) {
  std::printf("  %s  %s\n", Utf8(f.guid).c_str(), Utf8(f.name).c_str());
  if (!f.description.empty()) Criterion("Description", Utf8(f.description));
  char flags[16];
  std::snprintf(flags, sizeof(flags), "0x%X", f.flags);
  Criterion("Flags", flags);
  if (f.flags & tool::kFlagEventLog) Criterion("EventLog", Utf8(f.eventLog));
  if (f.flags & tool::kFlagFrom) Criterion("From", Utf8(file.TimeText(f.from)));
  if (f.flags & tool::kFlagTo) Criterion("To", Utf8(file.TimeText(f.to)));
  if (f.flags & tool::kFlagEventId) Criterion("EventID", Utf8(f.eventIds));
  if (f.flags & tool::kFlagLevel) Criterion("Level", Utf8(f.levels));
  if (f.flags & tool::kFlagEventType) Criterion("EventType", std::to_string(f.eventType));
  if (f.flags & tool::kFlagCategory) Criterion("Category", std::to_string(f.category));
  if (f.flags & tool::kFlagSource) Criterion("Source", Utf8(f.source));
  if (f.flags & tool::kFlagUser) Criterion("User", Utf8(f.user));
  if (f.flags & tool::kFlagComputer) Criterion("Computer", Utf8(f.computer));
  if (f.flags & tool::kFlagKeywords) {
    char keywords[24];
    std::snprintf(keywords, sizeof(keywords), "0x%llX", static_cast<unsigned long long>(f.keywords));
    Criterion("Keywords", keywords);
  }
  if (f.flags & tool::kFlagStrings)
    for (const auto& [index, text] : f.strings) Criterion(("String " + std::to_string(index)).c_str(), Utf8(text));
}

bool PrintList(tool::FilterFile& file, bool excluding, std::string* error) {
  std::vector<com::Ptr<IECFilter>> filters;
  if (!file.List(excluding, &filters, error)) return false;
  std::printf("%s filters: %zu\n", excluding ? "Excluding" : "Including", filters.size());
  for (const auto& filter : filters) {
    FilterFields fields;
    if (!tool::ReadFilter(filter.Get(), &fields, error)) return false;
    PrintFilter(file, fields);
  }
  return true;
}

// Parses FILE and the expected number of further arguments, opens the file
// ("filter show" only a file that exists).
bool OpenFile(const char* name, const tool::Args& args, size_t extra, bool* xml, tool::Session& session,
              tool::FilterFile& file, tool::Options& options, int* status) {
  std::string error;
  std::vector<tool::OptionSpec> specs = {tool::kMachineOption};
  if (xml) specs.push_back({"xml", false});
  if (!options.Parse(args, specs, &error)) return *status = tool::UsageError(name, error), false;
  if (options.Positional().size() != 1 + extra)
    return *status = tool::UsageError(name, "wrong number of arguments"), false;
  if (xml) *xml = options.Has("xml");
  if (int bad = tool::CheckFilterFile(options.Positional()[0], xml != nullptr, &error))
    return *status = tool::Refuse(name, bad, error), false;
  if (!session.Open(name, options)) return *status = 1, false;
  if (!file.Open(session.component(), options.Positional()[0], &error))
    return *status = tool::Failure(name, error), false;
  return true;
}

int RunShow(const tool::Args& args) {
  constexpr char kName[] = "filter show";
  tool::Options options;
  tool::Session session;
  tool::FilterFile file;
  bool xml = false;
  int status = 0;
  if (!OpenFile(kName, args, 0, &xml, session, file, options, &status)) return status;
  std::string error;
  if (xml) {
    com::Bstr text;
    if (FAILED(file->ToString(text.Receive()))) return tool::Failure(kName, "IECFilters::ToString failed");
    std::fputs(Utf8(text.Text()).c_str(), stdout);
    return 0;
  }
  VARIANT_BOOL use = VARIANT_FALSE;
  std::vector<std::u16string> logs;
  if (FAILED(file->get_UseFilter(&use)) || !file.Logs(&logs, &error)) return tool::Failure(kName, error);
  std::printf("UseFilter: %s\nLogs:", use ? "yes" : "no (every record is kept)");
  for (const auto& log : logs) std::printf(" %s", Utf8(log).c_str());
  std::printf("%s\n", logs.empty() ? " (none)" : "");
  if (!PrintList(file, false, &error) || !PrintList(file, true, &error)) return tool::Failure(kName, error);
  return 0;
}

int RunUse(const tool::Args& args) {
  constexpr char kName[] = "filter use";
  tool::Options options;
  tool::Session session;
  tool::FilterFile file;
  int status = 0;
  if (!OpenFile(kName, args, 1, nullptr, session, file, options, &status)) return status;
  const std::string& value = options.Positional()[1];
  if (value != "on" && value != "off") return tool::UsageError(kName, "say on or off");
  std::string error;
  if (FAILED(file->put_UseFilter(value == "on" ? VARIANT_TRUE : VARIANT_FALSE)) || !file.Commit(&error))
    return tool::Failure(kName, error.empty() ? "IECFilters::UseFilter failed" : error);
  return 0;
}

int RunRemove(const tool::Args& args) {
  constexpr char kName[] = "filter remove";
  tool::Options options;
  tool::Session session;
  tool::FilterFile file;
  int status = 0;
  if (!OpenFile(kName, args, 1, nullptr, session, file, options, &status)) return status;
  com::Bstr guid(cmr::Utf8ToUtf16(options.Positional()[1]));
  com::Ptr<IECFilter> found;
  if (FAILED(file->FindFilter(guid.Get(), found.Receive())))
    return tool::Failure(kName, "no filter " + options.Positional()[1] + " in " + options.Positional()[0]);
  std::string error;
  if (FAILED(file->RemoveFilter(guid.Get())) || !file.Commit(&error))
    return tool::Failure(kName, error.empty() ? "IECFilters::RemoveFilter failed" : error);
  return 0;
}

}  // namespace

EC_COMMAND("filter show", "show the filters of a filter file",
           "usage: eventcollector filter show FILE [--xml]\n\n"
           "Opens FILE with the component's Filters object and prints whether filtering\n"
           "is on, the logs the file names, and every including and excluding filter with\n"
           "the criteria its flags select. With --xml, the document as the component\n"
           "writes it.",
           RunShow);
EC_COMMAND("filter use", "switch filtering of a filter file on or off",
           "usage: eventcollector filter use FILE on|off\n\n"
           "Sets UseFilter of the file (off: every record is kept) and writes the file.",
           RunUse);
EC_COMMAND("filter remove", "remove a filter by its GUID",
           "usage: eventcollector filter remove FILE GUID\n\n"
           "Removes the filter with that GUID (any case) from the file and writes it; a\n"
           "GUID that the file does not have is an error and leaves the file as it was.",
           RunRemove);
