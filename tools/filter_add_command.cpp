// "filter add": a new including or excluding filter with its criteria; the
// flag of each criterion given is set, so that it is tested.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/com/bstr.h"
#include "base/text.h"
#include "tools/com_calls.h"
#include "tools/command.h"
#include "tools/filter_client.h"
#include "tools/option_values.h"
#include "tools/options.h"
#include "tools/session.h"

namespace {

constexpr char kName[] = "filter add";

const std::vector<tool::OptionSpec> kSpecs = {
    {"exclude", false}, {"include", false}, {"priority", true},   {"name", true},   {"description", true},
    {"log", true},      {"event-id", true}, {"level", true},      {"type", true},   {"category", true},
    {"source", true},   {"user", true},     {"computer", true},   {"string", true}, {"keywords", true},
    {"from", true},     {"to", true},       tool::kMachineOption,
};

bool ParseKeywords(const std::string& text, int64_t* value) {
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || text[0] == '-' || errno != 0 || *end != '\0') return false;
  *value = static_cast<int64_t>(v);
  return true;
}

// The largest values the records carry: event ids, event types, categories
// and the count of insertion strings are 16-bit, levels 8-bit.
constexpr uint32_t kMaxWord = 0xFFFF;
constexpr uint32_t kMaxLevel = 0xFF;

// The numbers of the criteria, read before anything reaches the component.
struct CriteriaNumbers {
  uint32_t type = 0, category = 0;
  int64_t keywords = 0;
  std::vector<std::pair<uint32_t, std::string>> strings;
};

// Refuses a malformed criterion; false with `error`.
bool CheckCriteria(const tool::Options& o, CriteriaNumbers* n, std::string* error) {
  if (o.Has("event-id") && !tool::CheckRanges("event-id", o.Value("event-id"), kMaxWord, error)) return false;
  if (o.Has("level") && !tool::CheckRanges("level", o.Value("level"), kMaxLevel, error)) return false;
  if (o.Has("type") && !tool::CheckNumber("type", o.Value("type"), kMaxWord, &n->type, error)) return false;
  if (o.Has("category") && !tool::CheckNumber("category", o.Value("category"), kMaxWord, &n->category, error))
    return false;
  if (o.Has("keywords") && !ParseKeywords(o.Value("keywords"), &n->keywords))
    return *error = tool::BadValue("keywords", o.Value("keywords"), "takes a 64-bit mask"), false;
  for (const auto& s : o.Values("string")) {
    std::pair<uint32_t, std::string> entry;
    if (!tool::CheckIndexedText("string", s, kMaxWord, &entry.first, &entry.second, error)) return false;
    n->strings.push_back(entry);
  }
  return true;
}

// Sets the criteria the options give; false with `error` (a bad time is a
// usage error, told by `usage`).
bool SetCriteria(IECFilters* filters, IECFilter* f, const tool::Options& o, const CriteriaNumbers& n, bool* usage,
                 std::string* error) {
  tool::Calls call(error);
  uint32_t flags = 0;
  auto text = [&](const char* option, const char* what, HRESULT (STDMETHODCALLTYPE IECFilter::*put)(BSTR),
                  uint32_t flag) {
    if (!o.Has(option)) return;
    call(what, (f->*put)(com::Bstr(cmr::Utf8ToUtf16(o.Value(option))).Get()));
    flags |= flag;
  };
  if (o.Has("name"))
    call("IECFilter::DisplayName", f->put_DisplayName(com::Bstr(cmr::Utf8ToUtf16(o.Value("name"))).Get()));
  text("description", "IECFilter::Description", &IECFilter::put_Description, 0);
  text("log", "IECFilter::EventLog", &IECFilter::put_EventLog, tool::kFlagEventLog);
  text("event-id", "IECFilter::EventID", &IECFilter::put_EventID, tool::kFlagEventId);
  text("level", "IECFilter::Level", &IECFilter::put_Level, tool::kFlagLevel);
  text("source", "IECFilter::EventSource", &IECFilter::put_EventSource, tool::kFlagSource);
  text("user", "IECFilter::User", &IECFilter::put_User, tool::kFlagUser);
  text("computer", "IECFilter::Computer", &IECFilter::put_Computer, tool::kFlagComputer);
  if (o.Has("type")) {
    call("IECFilter::EventType", f->put_EventType(n.type));
    flags |= tool::kFlagEventType;
  }
  if (o.Has("category")) {
    call("IECFilter::EventCategory", f->put_EventCategory(n.category));
    flags |= tool::kFlagCategory;
  }
  if (o.Has("keywords")) {
    call("IECFilter::Keywords", f->put_Keywords(n.keywords));
    flags |= tool::kFlagKeywords;
  }
  for (const char* bound : {"from", "to"}) {
    if (!o.Has(bound)) continue;
    ULONG seconds = 0;
    if (filters->ParseTimeToUTC(com::Bstr(cmr::Utf8ToUtf16(o.Value(bound))).Get(), &seconds) != S_OK) {
      *usage = true;
      *error = tool::BadValue(bound, o.Value(bound), "takes a time as 'D.M.YYYY H:M:S' (UTC)");
      return false;
    }
    bool from = bound[0] == 'f';
    call(from ? "IECFilter::DateFrom" : "IECFilter::DateTo", from ? f->put_DateFrom(seconds) : f->put_DateTo(seconds));
    flags |= from ? tool::kFlagFrom : tool::kFlagTo;
  }
  for (const auto& [index, pattern] : n.strings) {
    call("IECFilter::SetString", f->SetString(index, com::Bstr(cmr::Utf8ToUtf16(pattern)).Get()));
    flags |= tool::kFlagStrings;
  }
  call("IECFilter::Flags", f->put_Flags(flags));
  return call.ok();
}

int RunAdd(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, kSpecs, &error)) return tool::UsageError(kName, error);
  if (options.Positional().size() != 1) return tool::UsageError(kName, "give one filter file");
  if (options.Has("exclude") && options.Has("include"))
    return tool::UsageError(kName, "--include or --exclude, not both");
  int32_t priority = 0;
  if (options.Has("priority") && !tool::ParseSignedNumber(options.Value("priority"), &priority))
    return tool::UsageError(kName, tool::BadValue("priority", options.Value("priority"), "takes a number"));
  CriteriaNumbers numbers;
  if (!CheckCriteria(options, &numbers, &error)) return tool::UsageError(kName, error);
  if (int bad = tool::CheckFilterFile(options.Positional()[0], false, &error)) return tool::Refuse(kName, bad, error);
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  tool::FilterFile file;
  if (!file.Open(session.component(), options.Positional()[0], &error)) return tool::Failure(kName, error);
  bool excluding = options.Has("exclude");
  com::Ptr<IECFilter> filter;
  HRESULT hr = excluding ? file->AddExcludingFilterEx(priority, filter.Receive())
                         : file->AddIncludingFilterEx(priority, filter.Receive());
  if (FAILED(hr)) return tool::Failure(kName, "adding the filter failed: " + tool::FailureText(hr));
  bool usage = false;
  // Nothing is written unless every criterion was accepted.
  if (!SetCriteria(file.operator->(), filter.Get(), options, numbers, &usage, &error))
    return usage ? tool::UsageError(kName, error) : tool::Failure(kName, error);
  if (!file.Commit(&error)) return tool::Failure(kName, error);
  com::Bstr guid;
  filter->get_Guid(guid.Receive());
  std::printf("%s\n", cmr::Utf16ToUtf8(guid.Text()).c_str());
  return 0;
}

}  // namespace

EC_COMMAND("filter add", "add a filter to a filter file",
           "usage: eventcollector filter add FILE [--include|--exclude] [criteria]\n\n"
           "Adds an including (default) or excluding filter to FILE (created when\n"
           "missing), sets the criteria given and the flags that make them tested,\n"
           "writes the file and prints the new filter's GUID. A criterion the component\n"
           "refuses leaves the file as it was.\n\n"
           "  --priority N        the filter's priority (default 0)\n"
           "  --name TEXT         display name; --description TEXT\n"
           "  --log PATTERN       log name (exact, wildcards * and ?)\n"
           "  --event-id RANGES   event ids, e.g. 4624,4625,4700-4705\n"
           "  --level RANGES      levels, e.g. 1-3\n"
           "  --type N            classic event type; --category N  event category\n"
           "  --source PATTERN    source; --user PATTERN  DOMAIN\\name; --computer PATTERN\n"
           "  --string N=PATTERN  insertion string N (from 1; repeatable)\n"
           "  --keywords MASK     keywords mask (0x...)\n"
           "  --from TIME         written at or after 'D.M.YYYY H:M:S' (UTC); --to TIME",
           RunAdd);
