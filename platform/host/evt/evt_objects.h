// The objects behind the EVT_HANDLEs of Wevtapi.dll and their handle table.
// A handle is a number never reused in the process, so a closed or foreign
// handle is refused with ERROR_INVALID_HANDLE instead of reaching freed
// memory. Callers hold the host lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/api/evt.h"
#include "platform/formats/evtx_system.h"
#include "platform/host/evt/event_channels.h"

namespace host::evt {

struct Object {
  virtual ~Object() = default;
};

EVT_HANDLE Add(std::shared_ptr<Object> object);
std::shared_ptr<Object> Find(EVT_HANDLE handle);
bool Close(EVT_HANDLE handle);
size_t OpenCount();

template <class T>
std::shared_ptr<T> As(EVT_HANDLE handle) {
  return std::dynamic_pointer_cast<T>(Find(handle));
}

// A login to a computer; an empty name is the local computer.
struct Session : Object {
  std::u16string server;
};

// The computer of a session handle (null: the local computer). Null with
// `*error` set: 6 for a handle that is not a session, 1722 for a computer
// that is unknown or cannot be reached.
Computer* SessionComputer(EVT_HANDLE session, DWORD* error);

struct ChannelEnum : Object {
  std::vector<std::u16string> names;
  size_t next = 0;
};

// EvtOpenLog: a channel of a computer or an .evtx file.
struct LogObject : Object {
  std::u16string server;
  std::u16string channel;                   // channel name, or empty for a file
  std::string file;                         // Linux path of a file
  std::shared_ptr<EventRecordLog> fileLog;  // the events of a file
};

// A query's result set over a log. Positions are absolute (see
// EventRecordLog): `next` is the next event EvtNext hands out, `current` the
// first event of the last batch (the entry EvtSeekRelativeToCurrent counts
// from).
struct ResultSet : Object {
  std::shared_ptr<EventRecordLog> log;
  uint64_t generation = 0;
  bool reverse = false;
  uint64_t reverseEnd = 0;  // for a reverse query: the absolute end when it was opened
  int64_t next = 0;         // logical position (index in query order from the start)
  int64_t current = -1;
  std::u16string channel;  // the channel queried, empty for a file
};

// An event handed out by EvtNext: a record held in memory, or the place of
// a record in a chunk of a file (its tree is parsed when it is asked for).
struct Event : Object {
  EventRecordPtr record;
  std::shared_ptr<formats::EvtxChunkRecords> chunk;
  size_t index = 0;  // in chunk
  std::u16string channel;

  const formats::EvtxRecord& Record() {
    if (!record) record = chunk->record(index);
    return *record;
  }
  uint64_t RecordId() const { return record ? record->recordId : chunk->recordId(index); }
};

struct RenderContext : Object {
  DWORD flags = EvtRenderContextSystem;
};

struct ChannelConfigObject : Object {
  std::u16string server;
  std::u16string channel;
};

struct PublisherMetadata : Object {
  std::shared_ptr<const Publisher> publisher;
  LCID locale = 0;
  std::u16string server;
};

// An array property of a publisher (channel references, levels, ...).
struct ObjectArray : Object {
  std::shared_ptr<const Publisher> publisher;
  DWORD property = 0;  // EvtPublisherMetadataChannelReferences, ...
};

struct EventMetadataEnum : Object {
  std::shared_ptr<const Publisher> publisher;
  size_t next = 0;
};

struct EventMetadata : Object {
  EventDefinition definition;
};

struct Bookmark : Object {
  std::u16string channel;
  uint64_t recordId = 0;
  bool set = false;
};

}  // namespace host::evt

namespace host::evt {

// Sets the thread's last error and returns the failure value of a stand-in.
BOOL Fail(DWORD error);
EVT_HANDLE FailHandle(DWORD error);

// Copies text with its null into a caller's buffer of `size` characters with
// the buffer protocol of the Evt* functions (`*used` = characters needed).
DWORD CopyText(std::u16string_view text, DWORD size, LPWSTR buffer, DWORD* used);

}  // namespace host::evt
