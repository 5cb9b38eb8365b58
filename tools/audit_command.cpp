// "audit": which audit policy requirements the computer does not meet, from
// the warning that a task run with those requirements writes.
#include <cstdio>
#include <optional>

#include "base/output_text.h"
#include "base/text.h"
#include "tools/audit_requirement.h"
#include "tools/command.h"
#include "tools/log_end_run.h"
#include "tools/options.h"

namespace {

constexpr char kName[] = "audit";
constexpr char16_t kNotEnabled[] = u" is not enabled for this server.";
constexpr char16_t kCannotRead[] = u"Failed to obtain system audit status. Error: ";

// The requirements the warning names as not met, in its words.
std::vector<std::u16string> NotMet(const std::u16string& warning) {
  size_t end = warning.find(kNotEnabled);
  if (end == std::u16string::npos) return {};
  size_t sentence = end == 0 ? std::u16string::npos : warning.rfind(u". ", end - 1);
  size_t begin = sentence == std::u16string::npos ? 0 : sentence + 2;
  std::vector<std::u16string> items;
  std::u16string_view list(warning.data() + begin, end - begin);
  for (size_t at = 0;;) {
    size_t next = list.find(u" and ", at);
    items.emplace_back(list.substr(at, next == std::u16string_view::npos ? std::u16string_view::npos : next - at));
    if (next == std::u16string_view::npos) return items;
    at = next + 5;
  }
}

void Print(const std::vector<tool::AuditRequirement>& required, const std::vector<std::u16string>& notMet,
           const std::u16string& warning, bool json) {
  if (json) {
    std::string list;
    for (const auto& item : notMet) list += (list.empty() ? "" : ",") + cmr::JsonString(item);
    std::printf("{\"Required\":%zu,\"NotMet\":[%s],\"Warning\":%s}\n", required.size(), list.c_str(),
                cmr::JsonString(warning).c_str());
    return;
  }
  for (const auto& item : notMet) std::printf("%s\n", cmr::Utf16ToUtf8(item).c_str());
  if (notMet.empty()) std::printf("all %zu requirements are met\n", required.size());
  else std::printf("%zu of %zu requirements not met\n", notMet.size(), required.size());
}

int RunAudit(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {{"json", false}, {"require", true}, {"log", true}, tool::kMachineOption}, &error))
    return tool::UsageError(kName, error);
  std::vector<std::string> texts = options.Values("require");
  texts.insert(texts.end(), options.Positional().begin(), options.Positional().end());
  std::vector<tool::AuditRequirement> required;
  if (!tool::ParseAuditRequirements(texts, &required, &error)) return tool::UsageError(kName, error);
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  com::Ptr<ITask> task;
  HRESULT hr = session.component().Create(CLSID_Task, task);
  if (FAILED(hr)) return tool::Failure(kName, "creating a Task failed: " + tool::FailureText(hr));
  tool::ConfigSettings settings;
  settings.log = cmr::Utf8ToUtf16(options.Value("log", "Security"));
  for (const auto& r : required) settings.auditTypes.push_back({r.category, r.flags});
  tool::LogEndRun run;
  if (!tool::RunAtLogEnd(session, task.Get(), settings, &run, &error)) return tool::Failure(kName, error);
  if (FAILED(run.hr)) return tool::Failure(kName, "the task failed: " + run.error);
  const std::u16string& warning = run.results.warning;
  size_t cannot = warning.find(kCannotRead);
  if (cannot != std::u16string::npos)
    return tool::Failure(kName, "the audit policy cannot be read: " +
                                    cmr::Utf16ToUtf8(warning.substr(cannot + std::size(kCannotRead) - 1)));
  Print(required, NotMet(warning), warning, options.Has("json"));
  return 0;
}

}  // namespace

EC_COMMAND("audit", "which audit policy requirements the computer does not meet",
           "usage: eventcollector audit [--require CATEGORY[:FLAGS]]... [--log LOG] [--json]\n"
           "                            [--machine DIR]\n\n"
           "Runs a task with the requirements on the log LOG (Security unless given) of the\n"
           "computer (the demonstration machine, or the machine folder DIR); the task\n"
           "positions at the log's most recent record, so it collects nothing, and checks\n"
           "the computer's audit policy as every collection does. Prints the requirements\n"
           "that are not met, in the words of the task's warning, one a line.\n\n"
           "CATEGORY is a number 0 to 8 or a name: system, logon, object-access,\n"
           "privilege-use, detailed-tracking, policy-change, account-management,\n"
           "ds-access, account-logon. FLAGS is a number (1 success, 2 failure, 3 both,\n"
           "4 none) or success, failure or both; without it, success. Requirements may\n"
           "also follow as plain arguments. With none, every category's successes and\n"
           "its failures are required.\n\n"
           "With --json, one JSON object: the number of requirements, the list of those\n"
           "not met and the whole warning.",
           RunAudit);
