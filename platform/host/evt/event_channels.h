// The Windows Event Log channels and publishers of a simulated computer (a
// Computer service), and the host API that tests and the command-line program
// use to set them up. The Evt* functions of Wevtapi.dll read this model.
//
// A channel keeps its events in memory, or in an .evtx file (its log file,
// read a chunk at a time as readers reach its events; an append writes the
// chunk it changes and the file header in place, a clear leaves the header
// alone). Record ids are
// 64-bit and continue from the channel's next id; a full channel overwrites
// its oldest events, archives itself ("Archive-<base>-<time>.evtx" beside the
// log file) or refuses new events, after its retention settings.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/api/evt.h"
#include "platform/formats/evtx_model.h"
#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/evtx_file_records.h"
#include "platform/host/host.h"

namespace host {

// The events of a channel or of an opened .evtx file, in log order: held in
// memory (`records`), or read from the file a chunk at a time (`file`).
// Positions of queries count from the first event ever held (`removed`
// counts events that rolled out at the front); `generation` changes when the
// log is cleared, which makes the result sets of earlier queries stale.
struct EventRecordLog {
  std::deque<EventRecordPtr> records;
  std::shared_ptr<EvtxFileRecords> file;  // when set, the events are those of the file
  uint64_t removed = 0;
  uint64_t generation = 0;
  // What reading a classic .evt file into `records` found damaged, and the
  // records it knows to be lost (those of `file` are its own).
  std::vector<std::string> readDiagnostics;
  uint64_t readSkipped = 0;

  uint64_t size() const { return file ? file->size() : records.size(); }
  // The event at a position from the front; null past the end, or for an
  // event of the file that could not be read.
  const EventRecordPtr* at(uint64_t index) {
    if (file) return file->at(index);
    return index < records.size() ? &records[static_cast<size_t>(index)] : nullptr;
  }
  uint64_t oldestRecordId() const {
    if (file) return file->oldestRecordId();
    return records.empty() ? 0 : records.front()->recordId;
  }
  // Writes every event in order to a new .evtx file, one at a time (a log
  // in a file is read a chunk at a time); false with `error` set.
  bool writeTo(const std::string& path, std::string& error);
};

struct ChannelConfig {
  std::u16string name;
  DWORD type = EvtChannelTypeAdmin;  // 0 admin, 1 operational, 2 analytic, 3 debug
  bool enabled = true;
  bool classic = false;        // a classic event log seen as a channel
  DWORD isolation = 0;         // 0 application, 1 system, 2 custom
  std::u16string access;       // SDDL
  std::u16string logFilePath;  // Windows path; may hold environment variables
  std::u16string owningPublisher;
  ULONGLONG maxSize = 1052672;             // bytes of the log file
  bool retention = false;                  // true: a full log keeps its events
  bool autoBackup = false;                 // with retention: a full log is archived and cleared
  std::vector<std::u16string> publishers;  // publishers that log to the channel
};

class EventChannel {
 public:
  explicit EventChannel(ChannelConfig config);

  ChannelConfig config;
  // The first record id of an empty log; later ids count up from it.
  uint64_t nextRecordId = 1;
  // Linux path of the backing .evtx file; empty for a channel in memory.
  std::string backingFile;
  bool loaded = false;  // the backing file has been read
  std::vector<std::string> loadDiagnostics;

  // The events (reads the backing file on first use).
  std::shared_ptr<EventRecordLog> Log();
  // Estimated size of the log file in bytes (header plus 64 KiB chunks).
  ULONGLONG FileSize();
  uint64_t RecordCount() { return Log()->size(); }
  // Reads the backing file's chunk headers again after it was written;
  // `added` events were appended since the log was last read, and the
  // events the file no longer holds count as rolled out.
  void ReopenFile(uint64_t added);

 private:
  friend class EventLogService;
  std::shared_ptr<EventRecordLog> log_ = std::make_shared<EventRecordLog>();
  uint64_t estimatedBytes_ = 0;  // estimated record bytes currently held
};

// One channel reference of a publisher (EvtPublisherMetadataChannelReferences).
struct ChannelReference {
  std::u16string path;
  DWORD index = 0;
  DWORD id = 0;
  DWORD flags = 0;
  DWORD messageId = 0xFFFFFFFFu;  // -1: no display name
};

// One event of a publisher's manifest (EvtOpenEventMetadataEnum).
struct EventDefinition {
  DWORD id = 0;
  DWORD version = 0;
  DWORD channel = 0;
  DWORD level = 0;
  DWORD opcode = 0;
  DWORD task = 0;
  ULONGLONG keywords = 0;
  DWORD messageId = 0xFFFFFFFFu;
  std::u16string templateXml;
};

class PeImage;

struct Publisher {
  std::u16string name;
  GUID guid{};
  std::u16string resourceFilePath, parameterFilePath, messageFilePath, helpLink;
  DWORD messageId = 0xFFFFFFFFu;  // the publisher's own display name
  std::vector<ChannelReference> channels;
  std::vector<EventDefinition> events;
  // Message texts by language (LANGID), then message id. Texts keep their
  // inserts (%1) and parameter references (%%n) unexpanded.
  std::map<LANGID, std::map<DWORD, std::u16string>> messages;
  // The message tables of the message and parameter files, when the
  // registry names files (read when the metadata is opened); the error of a
  // message file that could not be read.
  std::shared_ptr<const PeImage> messageFile, parameterFile;
  DWORD messageFileError = 0;
};

// The computer's Windows Event Log service state.
class EventLogService {
 public:
  explicit EventLogService(Computer& computer);

  Computer& computer() { return computer_; }

  EventChannel* FindChannel(std::u16string_view name);
  // Channel names in the order the service enumerates them (by name, ignoring case).
  std::vector<std::u16string> ChannelNames() const;
  EventChannel& AddChannel(ChannelConfig config);
  bool RemoveChannel(std::u16string_view name);

  Publisher* FindPublisher(std::u16string_view name);
  Publisher& AddPublisher(Publisher publisher);

  // Appends an event; its record id is the channel's next id. Returns 0 or
  // the Win32 error (1502 when a full log keeps its events).
  DWORD Append(EventChannel& channel, formats::EvtxRecord record);
  // Removes every event; with a backup path the events are first written
  // there. Record ids start again at 1.
  DWORD Clear(EventChannel& channel, const std::u16string& backupPath = {});
  // Writes the channel's events to "Archive-<base>-<yyyy-mm-dd-hh-mm-ss-mmm>.evtx"
  // beside its log file and clears it; `archivePath` receives the Linux path.
  DWORD Archive(EventChannel& channel, std::string* archivePath = nullptr);

  // Maps a Windows path of this computer to Linux (drive paths go through
  // the computer's administrative share when it is not the local one).
  DWORD MapComputerPath(std::u16string_view windowsPath, std::string* linuxPath) const;
  // The text with %NAME% replaced from the computer's environment.
  std::u16string ExpandEnvironment(std::u16string_view text) const;

 private:
  DWORD MakeRoom(EventChannel& channel, uint64_t bytes);
  // Append and Clear of a channel whose events are in its backing file.
  DWORD AppendToFile(EventChannel& channel, const formats::EvtxRecord& record, bool archived = false);
  DWORD ClearFile(EventChannel& channel);
  Computer& computer_;
  std::map<std::u16string, std::unique_ptr<EventChannel>, NoCaseLess> channels_;
  std::map<std::u16string, Publisher, NoCaseLess> publishers_;
};

// Reads the publisher's resource file (its event manifest: events, channel
// message identifiers, its own message identifier) and its message and
// parameter files into `publisher`. A publisher without file names, or
// whose texts the model gives (messages), is left as it is. Returns 0 or the error of the resource file; an unreadable
// message file is kept in messageFileError.
DWORD LoadPublisherFiles(const EventLogService& service, Publisher& publisher);

// ---- Host API for tests and tools (each call takes the host lock) ----

EventLogService& EventLogOf(Computer& computer);

// Adds (or replaces the configuration of) a channel on a computer.
EventChannel& AddChannel(Computer& computer, ChannelConfig config);

// Appends an event built from `spec` (formats::BuildEvtxRecord) to a channel:
// the record id is the channel's next one, an empty channel or computer name
// becomes the channel's and the computer's. Returns the record id, or 0 when
// there is no such channel or the log is full and keeps its events.
uint64_t AppendEvent(Computer& computer, std::u16string_view channel, const formats::EvtxEventSpec& spec);

// Adds a channel whose events live in an .evtx file (Linux path). The file
// need not exist yet. Returns the channel.
EventChannel& AddFileChannel(Computer& computer, ChannelConfig config, const std::string& evtxPath);

// Adds the events of an .evtx file to a channel in memory; the channel keeps
// the files' record ids. Returns the number of events read, diagnostics in
// `diagnostics`.
size_t LoadChannelEvents(Computer& computer, std::u16string_view channel, const std::string& evtxPath,
                         std::vector<std::string>* diagnostics = nullptr);

// The channel name that an .evtx file name stands for ("Microsoft-Windows-
// Sysmon%4Operational.evtx" -> "Microsoft-Windows-Sysmon/Operational").
std::u16string ChannelNameOfLogFile(std::u16string_view fileName);

}  // namespace host
