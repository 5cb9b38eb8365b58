// Peak memory of reading large log files through the host: a generated .evtx
// of at least 256 MiB (read and rendered with EvtQuery, EvtNext and
// EvtRender; and only listed, with EvtOpenLog and EvtGetLogInfo) and a
// generated .evt of at least 100 MB (read with ReadEventLogW, as a backup
// file and as a live log's file that is then appended to). Each reading
// runs in a child process of its own, which reports its peak resident size
// (getrusage ru_maxrss); a child that reads nothing gives the baseline, and
// each figure is reported above it, with the read's records per CPU second.
// The .evtx is also exported to another file (EvtExportLog) and backed up
// through the classic functions (BackupEventLogW of a log whose file it is),
// both streamed a record at a time.
// For comparison, a last child holds every record of the .evtx at once
// (formats::ReadEvtxFile), as the host's queries did before they read files
// a chunk at a time, and one more also encodes them into one file image, as
// an export and a backup did before they streamed.
//
//   log_memory_bench [scratch folder]   (default: the system's temporary folder)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/sample_events.h"
#include "platform/api/eventlog.h"
#include "platform/formats/evt_log_file.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_reader.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/files/paths.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kEvtxBytes = uint64_t{256} << 20;
constexpr uint32_t kEvtBytes = 100u * 1000 * 1000;

struct Measure {
  long peakKiB = 0;
  size_t records = 0;
  double cpuSeconds = 0;
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs `work` in a child process; its peak resident size, its count and CPU time.
Measure InChild(const std::function<size_t()>& work) {
  int pipe[2];
  if (::pipe(pipe) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    ::close(pipe[0]);
    double start = CpuSeconds();
    Measure m;
    m.records = work();
    m.cpuSeconds = CpuSeconds() - start;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    m.peakKiB = u.ru_maxrss;
    ssize_t written = ::write(pipe[1], &m, sizeof m);
    _exit(written == sizeof m ? 0 : 1);
  }
  ::close(pipe[1]);
  Measure m;
  if (::read(pipe[0], &m, sizeof m) != sizeof m) m.peakKiB = -1;
  ::close(pipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return m;
}

formats::EvtxRecord SampleRecord(uint64_t id) {
  formats::EvtxEventSpec s;
  s.provider = u"Microsoft-Windows-Security-Auditing";
  s.eventId = 4624;
  s.keywords = benchsupport::kAuditSuccess;
  s.timeCreated = benchsupport::SampleFileTime(id);
  s.recordId = id;
  s.channel = u"Security";
  s.computer = u"WORKSTATION1.example.org";
  s.data = {{u"SubjectUserName", formats::EvtxValue::String(u"WORKSTATION1$")},
            {u"TargetUserName", formats::EvtxValue::String(u"user" + std::u16string(id % 13, u'x'))},
            {u"LogonType", formats::EvtxValue::Integer(EvtVarTypeUInt32, id % 11)},
            {u"IpAddress", formats::EvtxValue::String(u"10.1.2." + std::u16string(1, u'0' + id % 10))}};
  return formats::BuildEvtxRecord(s);
}

// Writes an .evtx file of at least kEvtxBytes, a batch of chunks at a time
// (the writer's own file header is taken for the whole file and fixed up).
bool WriteLargeEvtx(const fs::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<uint8_t> header;
  uint64_t id = 1, chunks = 0;
  while (formats::kEvtxFileHeaderSize + chunks * formats::kEvtxChunkSize < kEvtxBytes) {
    std::vector<formats::EvtxRecord> batch;
    for (int i = 0; i < 4000; ++i) batch.push_back(SampleRecord(id++));
    std::vector<uint8_t> bytes;
    std::string error;
    if (!formats::WriteEvtx(batch, bytes, error)) return false;
    if (header.empty()) {
      header.assign(bytes.begin(), bytes.begin() + formats::kEvtxFileHeaderSize);
      out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    }
    out.write(reinterpret_cast<const char*>(bytes.data() + formats::kEvtxFileHeaderSize),
              static_cast<std::streamsize>(bytes.size() - formats::kEvtxFileHeaderSize));
    chunks += (bytes.size() - formats::kEvtxFileHeaderSize) / formats::kEvtxChunkSize;
  }
  formats::EvtxStore<uint64_t>(header, 16, chunks - 1);
  formats::EvtxStore<uint64_t>(header, 24, id);
  formats::EvtxStore<uint16_t>(header, 42, static_cast<uint16_t>(chunks));
  formats::EvtxStore<uint32_t>(header, 124, formats::EvtxCrc32(std::span<const uint8_t>(header).subspan(0, 120)));
  out.seekp(0);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  return static_cast<bool>(out.flush());
}

bool WriteLargeEvt(const fs::path& path) {
  formats::EvtLogFile log(kEvtBytes + (1u << 20));
  const benchsupport::SampleEvent sample{
      u"Security", u"WORKSTATION1", 528, 8, 2, 0, 0, {u"alice", u"WORKSTATION1", u"(0x0,0x3E7)", u"2", u"User32"}};
  size_t appended = 0;
  for (size_t i = 0; appended < kEvtBytes; ++i) {
    std::vector<uint8_t> record = benchsupport::ClassicRecord(sample, i);
    formats::EvtAppendResult r = log.Append(record);
    if (r.status != formats::EvtAppendStatus::Written || r.overwritten) return false;
    appended += record.size();
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(log.Image().data()), static_cast<std::streamsize>(log.Image().size()));
  return static_cast<bool>(out.flush());
}

size_t ReadEvtx(const std::u16string& path) {
  EVT_HANDLE query = EvtQuery(nullptr, path.c_str(), nullptr, EvtQueryFilePath | EvtQueryForwardDirection);
  EVT_HANDLE system = EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem);
  EVT_HANDLE user = EvtCreateRenderContext(0, nullptr, EvtRenderContextUser);
  std::vector<ULONGLONG> buffer(4096);
  EVT_HANDLE events[100];
  DWORD returned = 0;
  size_t count = 0;
  while (query && EvtNext(query, 100, events, INFINITE, 0, &returned)) {
    for (DWORD i = 0; i < returned; ++i) {
      for (EVT_HANDLE context : {system, user}) {
        DWORD used = 0, properties = 0;
        EvtRender(context, events[i], EvtRenderEventValues, static_cast<DWORD>(buffer.size() * 8), buffer.data(), &used,
                  &properties);
      }
      EvtClose(events[i]);
      ++count;
    }
  }
  return count;
}

size_t ListEvtx(const std::u16string& path) {
  EVT_HANDLE log = EvtOpenLog(nullptr, path.c_str(), EvtOpenFilePath);
  EVT_VARIANT value{};
  DWORD used = 0;
  if (!log || !EvtGetLogInfo(log, EvtLogNumberOfLogRecords, sizeof value, &value, &used)) return 0;
  return static_cast<size_t>(value.UInt64Val);
}

// Reads a classic log to its end; the records read. Closes the handle.
size_t ReadClassic(HANDLE log) {
  std::vector<uint8_t> buffer(0x10000);
  size_t count = 0;
  for (;;) {
    DWORD read = 0, needed = 0;
    if (!log || !ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &read, &needed))
      break;
    for (size_t at = 0; at + sizeof(EVENTLOGRECORD) <= read; ++count)
      at += reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + at)->Length;
  }
  if (log) CloseEventLog(log);
  return count;
}

size_t ReadEvt(const std::u16string& path) { return ReadClassic(OpenBackupEventLogW(nullptr, path.c_str())); }

// A live classic log whose file is the .evt: opened (its file checked),
// read to its end and appended to; the records read, 0 when the append fails.
size_t LiveEvt(const std::u16string& path) {
  host::ClassicLogConfig config;
  config.name = u"LiveLarge";
  config.file = path;
  config.maxSize = 0xFFFF0000;
  host::CreateClassicLog(host::Host::Get().Local(), config);
  const size_t count = ReadClassic(OpenEventLogW(nullptr, u"LiveLarge"));
  formats::EvtRecordFields fields;
  fields.source = u"LiveLarge";
  fields.computer = u"WORKSTATION1";
  fields.strings = {u"appended"};
  return host::AppendClassicRecord(host::Host::Get().Local(), u"LiveLarge", fields) != 0 ? count : 0;
}

// EvtExportLog of the file to `target`; the records the copy holds.
size_t ExportEvtx(const std::u16string& path, const fs::path& target) {
  std::u16string to = host::WindowsPathOf(target.string());
  if (!EvtExportLog(nullptr, path.c_str(), u"*", to.c_str(), EvtExportLogFilePath)) return 0;
  return ListEvtx(to);
}

// BackupEventLogW of a classic log whose file is the .evtx; the records the
// copy holds.
size_t BackupEvtx(const std::u16string& path, const fs::path& target) {
  host::ClassicLogConfig config;
  config.name = u"Large";
  config.file = path;
  config.maxSize = 0xFFFFFFFF;
  host::CreateClassicLog(host::Host::Get().Local(), config);
  HANDLE log = OpenEventLogW(nullptr, u"Large");
  std::u16string to = host::WindowsPathOf(target.string());
  const bool backedUp = log && BackupEventLogW(log, to.c_str());
  if (log) CloseEventLog(log);
  return backedUp ? ListEvtx(to) : 0;
}

// Every record held and the copy encoded whole in memory, as an export did
// before it streamed.
size_t ExportWhole(const fs::path& path) {
  std::vector<formats::EvtxRecord> records = formats::ReadEvtxFile(path.string()).records;
  std::vector<uint8_t> bytes;
  std::string error;
  return formats::WriteEvtx(records, bytes, error) ? records.size() : 0;
}

void Report(const char* what, const Measure& m, const Measure& base, uint64_t fileBytes) {
  double above = static_cast<double>(m.peakKiB - base.peakKiB) / 1024.0;
  std::printf("%-26s %10zu records  peak RSS %8.1f MiB above baseline (%.3f of the file)  %9.0f records/CPU s\n", what,
              m.records, above, above * 1048576.0 / static_cast<double>(fileBytes),
              m.cpuSeconds > 0 ? static_cast<double>(m.records) / m.cpuSeconds : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  fs::path scratch = fs::absolute(argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path(), ec) /
                     ("log_memory_bench." + std::to_string(getpid()));
  fs::create_directories(scratch, ec);
  fs::path evtx = scratch / "large.evtx", evt = scratch / "large.evt";
  // Generated in children, so that this process stays small for the others to inherit.
  Measure made = InChild([&] { return WriteLargeEvtx(evtx) && WriteLargeEvt(evt) ? size_t{1} : size_t{0}; });
  if (made.records != 1) {
    std::fprintf(stderr, "log_memory_bench: cannot write the files in %s\n", scratch.string().c_str());
    fs::remove_all(scratch, ec);
    return 1;
  }
  std::u16string evtxPath = host::WindowsPathOf(evtx.string()), evtPath = host::WindowsPathOf(evt.string());
  Measure base = InChild([] { return size_t{0}; });
  Measure read = InChild([&] { return ReadEvtx(evtxPath); });
  Measure list = InChild([&] { return ListEvtx(evtxPath); });
  Measure classic = InChild([&] { return ReadEvt(evtPath); });
  Measure live = InChild([&] { return LiveEvt(evtPath); });
  // For comparison: every record of the file held at once, as queries held
  // them before they read a chunk at a time.
  Measure exported = InChild([&] { return ExportEvtx(evtxPath, scratch / "exported.evtx"); });
  Measure backedUp = InChild([&] { return BackupEvtx(evtxPath, scratch / "backup.evtx"); });
  Measure whole = InChild([&] { return formats::ReadEvtxFile(evtx.string()).records.size(); });
  Measure exportedWhole = InChild([&] { return ExportWhole(evtx); });
  uint64_t evtxSize = fs::file_size(evtx, ec), evtSize = fs::file_size(evt, ec);
  std::printf("baseline peak RSS %.1f MiB; .evtx %.1f MiB, .evt %.1f MB\n", base.peakKiB / 1024.0,
              static_cast<double>(evtxSize) / 1048576.0, static_cast<double>(evtSize) / 1e6);
  Report(".evtx read and rendered", read, base, evtxSize);
  Report(".evtx listed (log info)", list, base, evtxSize);
  Report(".evt read (ReadEventLogW)", classic, base, evtSize);
  Report(".evt live: read, append", live, base, evtSize);
  Report(".evtx exported", exported, base, evtxSize);
  Report(".evtx backed up (classic)", backedUp, base, evtxSize);
  Report(".evtx all records held", whole, base, evtxSize);
  Report(".evtx exported whole", exportedWhole, base, evtxSize);
  fs::remove_all(scratch, ec);
  bool allRead = read.records > 0 && list.records == read.records && classic.records > 0 &&
                 live.records == classic.records && exported.records == read.records &&
                 backedUp.records == read.records;
  if (!allRead) std::fprintf(stderr, "log_memory_bench: a reading found no records\n");
  return allRead ? 0 : 1;
}
