// "demo": the component's main job on the demonstration machine: a first
// collection of the Security log (through its archived backup into the live
// log), three new events logged, a second collection that brings exactly
// those, and a short decoded view of them; then the Task Scheduler's
// operational channel collected through the Windows Event Log interface.
#include <cstdio>
#include <filesystem>

#include "base/text.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/host.h"
#include "platform/host/security/accounts.h"
#include "render/event_file_reader.h"
#include "tools/collection.h"
#include "tools/command.h"
#include "tools/demo_events.h"
#include "tools/options.h"

namespace {

constexpr char kName[] = "demo";
constexpr size_t kNewEvents = 3;
constexpr char16_t kChannel[] = u"Microsoft-Windows-TaskScheduler/Operational";

std::string Field(const cmr::EventFileEntry& entry, std::u16string_view tag) {
  for (const auto& f : entry)
    if (f.tag == tag) return cmr::Utf16ToUtf8(f.value);
  return "-";
}

// The first insertion strings of an entry, joined, at most 60 characters.
std::string Strings(const cmr::EventFileEntry& entry) {
  std::string text;
  for (const auto& f : entry) {
    if (!f.tag.starts_with(u"IS") || f.value.empty() || f.value == u"-") continue;
    text += (text.empty() ? "" : ", ") + cmr::Utf16ToUtf8(f.value);
  }
  return text.size() > 60 ? text.substr(0, 57) + "..." : text;
}

// One line per entry: record number, time written, event id, strings.
void PrintShortView(const std::string& path) {
  cmr::EventFileReader reader;
  if (!reader.Open(path)) return;
  std::printf("  %-4s %-21s %-6s %s\n", "RN", "TIME WRITTEN", "EVENT", "STRINGS");
  for (cmr::EventFileEntry entry; reader.Next(&entry);) {
    const unsigned record = static_cast<unsigned>(std::stoul(Field(entry, u"RN"), nullptr, 16));
    std::printf("  %-4u %-21s %-6s %s\n", record, Field(entry, u"TW").c_str(), Field(entry, u"EI").c_str(),
                Strings(entry).c_str());
  }
}

// Logs the new events in the Security log of the machine.
bool LogNewEvents() {
  host::Lock lock;
  host::Computer& computer = host::Host::Get().Local();
  const tool::DemoIdentity identity{computer.Name(), computer.Service<host::Accounts>().MachineSid()};
  for (const auto& event : tool::DemoLaterSecurityEvents(identity)) {
    if (host::AppendEvent(computer, u"Security", event) == 0) return false;
  }
  return true;
}

int RunDemo(const tool::Args& args) {
  tool::Options options;
  std::string error;
  if (!options.Parse(args, {{"out", true}}, &error)) return tool::UsageError(kName, error);
  if (!options.Positional().empty()) return tool::UsageError(kName, "unexpected argument " + options.Positional()[0]);
  tool::Session session;
  if (!session.Open(kName, options)) return 1;
  tool::CollectRequest request;
  request.log = u"Security";
  request.outDir = options.Value("out", session.ScratchFile("collected"));
  request.switches.processBackups = true;

  std::printf("1. First collection of the Security log of %s (its archived backup, then the live log):\n",
              cmr::Utf16ToUtf8(session.machine().ComputerArgument()).c_str());
  tool::CollectOutcome first, second;
  if (!tool::CollectOnce(session, request, &first, &error)) return tool::Failure(kName, error);
  tool::PrintOutcome(first);
  std::printf("\n2. %zu new events are logged.\n\n3. Second collection, from the stored position %u:%u:\n", kNewEvents,
              first.lastRecord, first.lastTime);
  if (!LogNewEvents()) return tool::Failure(kName, "the new events could not be logged");
  if (!tool::CollectOnce(session, request, &second, &error)) return tool::Failure(kName, error);
  tool::PrintOutcome(second);
  if (second.records != kNewEvents || second.firstRecord != first.lastRecord + 1)
    return tool::Failure(kName, "the second collection does not hold exactly the new events");
  std::printf("\n4. The new records, decoded ('eventcollector dump FILE' shows every field):\n");
  PrintShortView(second.eventFile);

  std::printf("\n5. Collection of the channel %s (the Windows Event Log interface):\n",
              cmr::Utf16ToUtf8(kChannel).c_str());
  tool::CollectRequest channel;
  channel.log = kChannel;
  channel.outDir = request.outDir;
  tool::CollectOutcome collected;
  if (!tool::CollectOnce(session, channel, &collected, &error)) return tool::Failure(kName, error);
  tool::PrintOutcome(collected);
  if (collected.records == 0) return tool::Failure(kName, "the channel's collection holds no event");
  PrintShortView(collected.eventFile);
  return 0;
}

}  // namespace

EC_COMMAND("demo", "collect the demonstration machine's Security log twice, incrementally",
           "usage: eventcollector demo [--out DIR]\n\n"
           "Runs the component's main job on the demonstration machine: a first collection\n"
           "of the Security log through its archived backup into the live log, three new\n"
           "events logged, a second collection that holds exactly those, and a short\n"
           "decoded view of them; then a collection of the Task Scheduler's operational\n"
           "channel through the Windows Event Log interface. The event files go to DIR (default: a temporary folder\n"
           "removed afterwards).",
           RunDemo);
