// A classic event log file being written: the exact bytes of a .evt file,
// with records appended as Windows appends them. The bytes are kept in
// memory, or read from the log's file where they are needed (an append reads
// only the oldest records it overwrites) with only the changes not yet
// written held in memory.
//
// The file starts small and grows in 64 KiB steps up to its maximum size.
// At the maximum size the data area is used as a ring: a record that reaches
// the end of the file continues right after the header, and the oldest records
// are overwritten as the retention allows (0: as needed; kEvtRetainForever:
// never; otherwise only records written at least that many seconds before the
// new record's TimeWritten). When no record may be overwritten the log is
// full: the append fails and the header gets ELF_LOGFILE_LOGFULL_WRITTEN.
//
// After every append the end-of-file record follows the newest record and
// the header is up to date and clean (as after a flush).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/evt_image.h"
#include "platform/formats/evt_reader.h"
#include "platform/formats/evt_record.h"
#include "platform/formats/evt_ring.h"

namespace formats {

// Windows grows a log file in steps of this size.
inline constexpr uint32_t kEvtGrowStep = 0x10000;
inline constexpr uint32_t kEvtDefaultMaxSize = 0x80000;

enum class EvtAppendStatus {
  Written,
  LogFull,        // no room and the retention forbids overwriting, or record numbers are used up
  TooLarge,       // the record can never fit in a file of the maximum size
  InvalidRecord,  // the bytes are not a well-framed record
};

struct EvtFilePiece {
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct EvtAppendResult {
  EvtAppendStatus status = EvtAppendStatus::Written;
  uint32_t recordNumber = 0;  // number given to the record when written
  uint32_t overwritten = 0;   // oldest records dropped to make room
  uint32_t offset = 0;        // where the record was written
};

class EvtLogFile {
 public:
  // An empty log. maxSize is rounded down to a multiple of 4 and raised to
  // the smallest size that holds a record.
  explicit EvtLogFile(uint32_t maxSize = kEvtDefaultMaxSize, uint32_t retention = 0);

  // Takes over an existing file to append to it. A sound file is kept byte
  // for byte; a damaged one is rebuilt from the records the reader found
  // (numbers kept). Nullopt when the bytes are not an event log at all.
  static std::optional<EvtLogFile> FromImage(std::vector<uint8_t> image);
  // The same for the file at `path`, read through a window: a sound file
  // stays where it is and is not copied; a damaged one is rebuilt in memory.
  // Nullopt with *error set when the file cannot be read (`notLog` tells
  // whether it was read and is no event log). `scan`, when given, gets what
  // reading the file found: its diagnostics and the records known lost.
  static std::optional<EvtLogFile> FromFile(const std::string& path, std::string* error, bool* notLog,
                                            EvtFile* scan = nullptr);

  // Appends a record, giving it the next record number (RecordNumber is
  // overwritten; TimeWritten is left as it is).
  EvtAppendResult Append(std::span<const uint8_t> record);
  EvtAppendResult Append(const EvtRecordFields& fields);

  // Empties the log: a new small file (in memory), record numbers start
  // again at 1.
  void Clear();
  // New limits: the maximum size never below the file's present size.
  void SetLimits(uint32_t maxSize, uint32_t retention);

  // The file's bytes, exactly as they go to disk, of a log kept in memory
  // (empty for a log read from its file).
  const std::vector<uint8_t>& Image() const;
  // The file's bytes, whichever way the log is kept (changes included).
  const EvtSource& Bytes() const { return *image_; }
  uint32_t FileSize() const { return image_->Size(); }
  bool InMemory() const { return memory_ != nullptr; }
  // The changes taken were written to the file at `path`: from now on the
  // log reads that file and keeps only new changes in memory.
  bool Saved(const std::string& path, std::string* error);
  // Closes the log's file until it is next read.
  void ReleaseFile();

  // The pieces of the image changed since the last call, in the order they
  // are best written: the records and the end-of-file record first, the
  // header last, so that a write that stops half-way leaves a file whose
  // records read up to the last whole one. A new or rebuilt image is one
  // piece, the whole file.
  std::vector<EvtFilePiece> TakeChanges();
  // The records, oldest first (reads the image).
  std::vector<EvtRecord> Records() const;

  uint32_t OldestRecordNumber() const { return oldest_; }    // 0 when empty
  uint32_t CurrentRecordNumber() const { return current_; }  // number of the next record
  uint32_t RecordCount() const { return held_; }
  uint32_t StartOffset() const { return start_; }  // of the oldest record
  uint32_t MaxSize() const { return maxSize_; }
  uint32_t Retention() const { return retention_; }
  uint32_t Flags() const { return flags_; }
  bool Full() const { return (flags_ & ELF_LOGFILE_LOGFULL_WRITTEN) != 0; }

 private:
  explicit EvtLogFile(std::unique_ptr<EvtImage> image, uint32_t maxSize, uint32_t retention);
  static std::optional<EvtLogFile> Adopt(std::unique_ptr<EvtImage> image, const EvtFile& file);
  static EvtLogFile Rebuild(const EvtFile& file, const EvtSource& bytes);
  EvtRing Ring() const { return EvtRing(FileSize()); }
  // Bytes free for records, keeping room for the end-of-file record.
  uint32_t FreeBytes() const;
  bool MakeRoom(uint32_t length, uint32_t timeWritten, uint32_t* overwritten);
  bool CanGrow() const;
  bool MayOverwriteOldest(uint32_t timeWritten) const;
  void DropOldest();
  void WriteAt(uint32_t offset, std::span<const uint8_t> bytes);
  void WriteEofAndHeader();
  void WriteHeader();
  void NoteChange(uint32_t offset, uint32_t length);
  void NoteWhole() { changes_.assign(1, EvtFilePiece{0, FileSize()}); }

  std::unique_ptr<EvtImage> image_;
  EvtMemoryImage* memory_ = nullptr;  // image_ when kept in memory
  uint32_t maxSize_;
  uint32_t retention_;
  uint32_t start_ = kEvtHeaderSize;
  uint32_t end_ = kEvtHeaderSize;
  uint32_t current_ = 1;
  uint32_t oldest_ = 0;
  uint32_t flags_ = 0;
  uint32_t held_ = 0;                  // records in the log (numbers may have gaps after a rebuild)
  std::vector<EvtFilePiece> changes_;  // data pieces, the header not among them
  bool headerChanged_ = false;
};

}  // namespace formats
