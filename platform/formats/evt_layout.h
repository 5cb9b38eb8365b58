// On-disk layout of a classic event log file (.evt): the file header, the
// end-of-file record and the constants shared by the reader and the writer.
// The records themselves are EVENTLOGRECORDs (platform/api/eventlog.h).
//
// A file is a 0x30-byte header followed by a circular data area that runs to
// the end of the file. Records are written one after the other; a record or
// the end-of-file record that reaches the end of the file continues right
// after the header. All values are little-endian.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/api/eventlog.h"

namespace formats {

static_assert(std::endian::native == std::endian::little, "the .evt layout is read in place on little-endian hosts");

// 'LfLe': the signature of the file header and of every record.
inline constexpr uint32_t kEvtSignature = 0x654c664c;

// ELF_LOGFILE_HEADER::Flags.
inline constexpr uint32_t ELF_LOGFILE_HEADER_DIRTY = 0x0001;     // written to since the header was last flushed
inline constexpr uint32_t ELF_LOGFILE_HEADER_WRAP = 0x0002;      // the data area has wrapped around
inline constexpr uint32_t ELF_LOGFILE_LOGFULL_WRITTEN = 0x0004;  // a write failed because the log was full
inline constexpr uint32_t ELF_LOGFILE_ARCHIVE_SET = 0x0008;

// Retention value that forbids overwriting records (the log fills up instead).
inline constexpr uint32_t kEvtRetainForever = 0xFFFFFFFF;

struct ELF_LOGFILE_HEADER {
  uint32_t HeaderSize;           // 0x30
  uint32_t Signature;            // 'LfLe'
  uint32_t MajorVersion;         // 1
  uint32_t MinorVersion;         // 1
  uint32_t StartOffset;          // offset of the oldest record
  uint32_t EndOffset;            // offset of the end-of-file record
  uint32_t CurrentRecordNumber;  // number the next record will get
  uint32_t OldestRecordNumber;   // 0 when the log is empty
  uint32_t MaxSize;
  uint32_t Flags;
  uint32_t Retention;      // seconds; 0 overwrite as needed, kEvtRetainForever never
  uint32_t EndHeaderSize;  // 0x30
};
static_assert(sizeof(ELF_LOGFILE_HEADER) == 0x30);

struct ELF_EOF_RECORD {
  uint32_t RecordSizeBeginning;  // 0x28
  uint32_t One;                  // 0x11111111
  uint32_t Two;                  // 0x22222222
  uint32_t Three;                // 0x33333333
  uint32_t Four;                 // 0x44444444
  uint32_t BeginRecord;          // offset of the oldest record
  uint32_t EndRecord;            // offset of this end-of-file record
  uint32_t CurrentRecordNumber;
  uint32_t OldestRecordNumber;
  uint32_t RecordSizeEnd;  // 0x28
};
static_assert(sizeof(ELF_EOF_RECORD) == 0x28);

inline constexpr uint32_t kEvtHeaderSize = sizeof(ELF_LOGFILE_HEADER);
inline constexpr uint32_t kEvtEofSize = sizeof(ELF_EOF_RECORD);
inline constexpr uint32_t kEvtRecordFixedSize = sizeof(EVENTLOGRECORD);
// Fixed part, two empty names and the closing length.
inline constexpr uint32_t kEvtRecordMinSize = kEvtRecordFixedSize + 4 + 4;

// The first 20 bytes of every end-of-file record.
inline constexpr uint32_t kEvtEofLead[5] = {0x28, 0x11111111, 0x22222222, 0x33333333, 0x44444444};

// Reads a little-endian value of type T at offset; the caller has checked bounds.
template <class T>
T LoadAt(std::span<const uint8_t> bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

template <class T>
void StoreAt(std::span<uint8_t> bytes, size_t offset, const T& value) {
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

ELF_EOF_RECORD MakeEofRecord(uint32_t begin, uint32_t end, uint32_t current, uint32_t oldest);
bool IsEofRecord(const ELF_EOF_RECORD& eof);

}  // namespace formats
