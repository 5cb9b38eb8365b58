// Writes .evtx files: a file header, 64 KiB chunks with string and template
// tables, records whose events are Binary XML template instances, every
// checksum set. Used for fixtures, archives and EvtExportLog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/formats/evtx_chunk_writer.h"
#include "platform/formats/evtx_model.h"
#include "platform/formats/evtx_system.h"

namespace formats {

// The fields of a typical event, for building one without writing a tree.
struct EvtxEventSpec {
  std::u16string provider;
  std::optional<GUID> providerGuid;
  std::u16string eventSourceName;  // omitted when empty
  uint16_t eventId = 0;
  std::optional<uint16_t> qualifiers;
  uint8_t version = 0;
  uint8_t level = 4;
  uint16_t task = 0;
  uint8_t opcode = 0;
  uint64_t keywords = 0;
  uint64_t timeCreated = 0;  // FILETIME
  uint64_t recordId = 0;
  std::optional<GUID> activityId;
  std::optional<GUID> relatedActivityId;
  uint32_t processId = 0;
  uint32_t threadId = 0;
  std::u16string channel;
  std::u16string computer;
  std::vector<uint8_t> userSid;  // SID bytes; no UserID when empty
  // EventData Data elements (a name may be empty: no Name attribute).
  std::vector<EvtxUserValue> data;
};

// Builds the event tree Windows would log for `spec` (Event/System/EventData).
EvtxEvent BuildEvtxEvent(const EvtxEventSpec& spec);
// A record for `spec` (record id from spec.recordId, written time = timeCreated).
EvtxRecord BuildEvtxRecord(const EvtxEventSpec& spec);

struct EvtxWriteOptions {
  bool dirty = false;  // sets the dirty flag in the file header
};

// Encodes records (in the order given) into the bytes of an .evtx file.
// Fails (false, `error`) only when a record alone does not fit in a chunk.
bool WriteEvtx(const std::vector<EvtxRecord>& records, std::vector<uint8_t>& out, std::string& error,
               const EvtxWriteOptions& options = {});
bool WriteEvtxFile(const std::string& path, const std::vector<EvtxRecord>& records, std::string& error,
                   const EvtxWriteOptions& options = {});

// Writes an .evtx file record by record: a chunk goes to the file when it is
// full, so only the chunk being filled is held, whatever the file's size.
// The header is written last. A file that was not finished is removed.
class EvtxFileWriter {
 public:
  EvtxFileWriter() = default;
  EvtxFileWriter(const EvtxFileWriter&) = delete;
  EvtxFileWriter& operator=(const EvtxFileWriter&) = delete;
  ~EvtxFileWriter();

  // Creates the file (or empties it); false with `error` set.
  bool Open(const std::string& path, std::string& error);
  // Adds a record after the others; false with `error` when it cannot be
  // written (the record does not fit in a chunk, or a write failed).
  bool Add(const EvtxRecord& record, std::string& error);
  // Writes the last chunk and the header and closes the file.
  bool Finish(std::string& error, const EvtxWriteOptions& options = {});

 private:
  bool flush(std::string& error);
  bool writeAt(uint64_t offset, const std::vector<uint8_t>& bytes, std::string& error);

  std::string path_;
  int fd_ = -1;
  EvtxChunkWriter chunk_;
  size_t chunks_ = 0;
  uint64_t nextRecordId_ = 1;
};

}  // namespace formats
