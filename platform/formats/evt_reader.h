// Reading a classic event log file (.evt): every record in order, oldest
// first, as the genuine EVENTLOGRECORD bytes, and a list of what was found
// wrong. The reader never reads outside the given bytes; a damaged or
// truncated file yields every record that can still be read.
//
// Where the records are: a clean header gives the oldest record's offset and
// the end-of-file record's offset. A dirty header (the log was open for
// writing) may be stale, so the reader looks for the end-of-file record,
// which is rewritten after every record, starting at the header's end offset
// and going round the data area, and takes the positions and record numbers
// from it. Without any end-of-file record it walks from the header's start
// offset while the record numbers go up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/evt_layout.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evt_ring.h"
#include "platform/formats/evt_source.h"

namespace formats {

struct EvtRecord {
  uint32_t offset = 0;         // file offset of the record's first byte
  std::vector<uint8_t> bytes;  // Length bytes, contiguous even when the record wraps in the file

  EvtRecordView View() const { return EvtRecordView(bytes); }
  EVENTLOGRECORD Header() const { return View().Header(); }
  uint32_t Number() const { return Header().RecordNumber; }
};

struct EvtDiagnostic {
  uint32_t offset = 0;  // file offset the message is about
  std::string message;
  // "offset 0x...: message"
  std::string Text() const;
};

struct EvtFile {
  // The header as stored (zero-filled when the file is shorter than a header).
  ELF_LOGFILE_HEADER header{};
  bool headerValid = false;  // size, signature and version as expected
  bool eofFound = false;     // an end-of-file record was found
  uint32_t fileSize = 0;

  // Effective state of the log, from the header or, for a dirty header, from
  // the end-of-file record; the record numbers agree with `records`.
  uint32_t startOffset = 0;          // offset of the oldest record
  uint32_t endOffset = 0;            // offset of the end-of-file record (0 when not found)
  uint32_t oldestRecordNumber = 0;   // 0 when there are no records
  uint32_t currentRecordNumber = 0;  // the number the next record gets

  std::vector<EvtRecord> records;  // oldest first (ReadEvtFile only)
  uint32_t recordCount = 0;        // records read
  // Records known to be lost: gaps between the numbers read, and numbers the
  // header or end-of-file record claims that were not read.
  uint32_t skipped = 0;
  std::vector<EvtDiagnostic> diagnostics;  // empty for a sound file

  uint32_t Flags() const { return header.Flags; }
  bool Dirty() const { return (header.Flags & ELF_LOGFILE_HEADER_DIRTY) != 0; }
  bool Wrapped() const { return (header.Flags & ELF_LOGFILE_HEADER_WRAP) != 0; }
  bool Full() const { return (header.Flags & ELF_LOGFILE_LOGFULL_WRITTEN) != 0; }
  bool Damaged() const { return !diagnostics.empty(); }
  // Diagnostics as text lines: "offset 0x...: message".
  std::string Report() const;
};

EvtFile ReadEvtFile(std::span<const uint8_t> bytes);

// The same reading without keeping the records: each one goes to `sink` as
// it is found, oldest first, and EvtFile::records stays empty.
using EvtRecordSink = std::function<void(EvtRecord&&)>;
EvtFile ScanEvtFile(const EvtSource& source, const EvtRecordSink& sink);

// Where the records lie, when the header is clean and its end offset holds
// the end-of-file record: the offsets, the record numbers and recordCount
// as the header claims them, no record read. Nullopt when the file must be
// scanned to find its records. A file whose records then read as claimed
// (EvtFramedLength, numbers one after another from oldestRecordNumber, no
// record with problems, the last one ending at endOffset) is what
// ScanEvtFile finds, with no diagnostic.
std::optional<EvtFile> LocateEvtRecords(const EvtSource& source);
// The ring the records of a file are read through, as the scan reads them.
inline EvtRing EvtScanRing(const EvtFile& file) {
  return EvtRing(file.fileSize, !file.headerValid || file.fileSize >= file.header.MaxSize);
}

// The length of the well-framed record at `pos` that does not run over
// `end`; 0 with *why set when there is none.
uint32_t EvtFramedLength(const EvtSource& bytes, const EvtRing& ring, uint32_t pos, std::optional<uint32_t> end,
                         std::string* why);

}  // namespace formats
