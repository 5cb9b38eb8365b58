// The event output file (".adevt") and the description file (".descr"): one
// gzip stream of UTF-8 entries, one entry per line ending in CR LF, each
// entry a run of fields "TAG~value#".
//
// Entries are gathered into blocks. A file of a few entries is compressed
// at Close, in the caller's thread; once a first block is full, a thread of
// the writer's own compresses each full block while the caller fills the
// next one (render/block_compressor.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include <zlib.h>

#include "render/entry_bytes.h"
#include "render/field_text.h"
#include "render/number_text.h"

namespace cmr {

class BlockCompressor;

class EventFileWriter {
 public:
  // Entries gathered before a block is compressed.
  static constexpr size_t kBlockBytes = 128 * 1024;

  EventFileWriter();
  // Closes what is open, the compressor thread joined; a failure to finish
  // the file is traced, not raised (call Close to learn of it).
  ~EventFileWriter();
  EventFileWriter(const EventFileWriter&) = delete;
  EventFileWriter& operator=(const EventFileWriter&) = delete;

  // Creates (truncates) the file, held so that other processes may read but
  // not write it, and attaches the compressed stream. False, with errno
  // telling why, when the file cannot be created or the stream cannot be
  // attached; on success a file open before is closed first.
  bool Open(const std::u16string& path);
  bool IsOpen() const { return stream_ != nullptr; }

  // Field writers: append "tag~value#" to the entry being built, as UTF-8.
  // The text is taken as given unless a form says otherwise.
  void WriteTextField(std::u16string_view tag, std::u16string_view text, FieldForm form = FieldForm::AsIs);
  // The field of first + separator + second, without joining them first.
  void WriteJoinedField(std::u16string_view tag, std::u16string_view first, char16_t separator,
                        std::u16string_view second, FieldForm form = FieldForm::AsIs);
  void WriteHex32Field(std::u16string_view tag, uint32_t value);  // "%08X"
  void WriteHex64Field(std::u16string_view tag, uint64_t value);  // "%016I64X"
  void WriteUnsignedField(std::u16string_view tag, uint32_t value);
  // "IS%02d", escaped.
  void WriteInsertionString(int index, std::u16string_view text, FieldForm form = FieldForm::Escaped);

  // Ends the entry: CR LF, and the entry added to the block; a full block
  // goes to the compressor. An empty entry writes nothing. A write failure
  // raises cmr::ErrnoException (the zlib error is Z_ERRNO) or
  // cmr::ZlibException, and the entry stays. The failure may be that of a
  // block handed to the compressor thread before: it is raised by the next
  // EndEntry (and by every one after it) or by Close, and the entries ended
  // since are lost with the file, which is incomplete and must not be used.
  void EndEntry();

  // Compresses what is left, finishes the gzip stream and closes the file.
  // Fields of an entry that was not ended are dropped. A failure of the
  // compressor thread, or a failing write, flush, stream close or file close
  // (a full disk, say) raises as EndEntry does, after the thread has been
  // joined and everything released, so that a truncated file is never taken
  // for a complete one. A file of fewer entries than a block learns of every
  // write failure here only.
  void Close();

  // The UTF-8 bytes of the entry being built (fields not yet ended).
  std::string_view PendingEntry() const { return entry_.View().substr(entryStart_); }

 private:
  void ReleaseQuietly();
  // Hands the ended entries to the compressor; their failure, or null.
  std::exception_ptr HandBlock();
  // Writes "tag~" with room for `valueBytes` more bytes after it.
  char* BeginField(std::u16string_view tag, size_t valueBytes);
  void EndField(char* end);

  FILE* file_ = nullptr;
  gzFile stream_ = nullptr;
  // The block: the ended entries, then the fields of the entry being built
  // from entryStart_ on. Its storage is reused from block to block.
  EntryBytes entry_;
  size_t entryStart_ = 0;
  std::unique_ptr<BlockCompressor> compressor_;  // from the first full block on
  bool noThread_ = false;  // the thread could not be started: blocks are compressed in the caller's thread
};

// The field writers are inline: an entry has some thirty fields, most of them
// short, and the calls would weigh as much as the writing.
inline char* EventFileWriter::BeginField(std::u16string_view tag, size_t valueBytes) {
  char* out = entry_.Room(tag.size() * kMaxUtf8PerUnit + valueBytes + 2);
  for (size_t i = 0; i < tag.size(); ++i) {
    if (tag[i] >= 0x80) {  // tags are ASCII names; any other text is converted all the same
      out = PutFieldValueUtf8(out, tag.substr(i), FieldForm::AsIs);
      break;
    }
    *out++ = static_cast<char>(tag[i]);
  }
  *out++ = '~';
  return out;
}

inline void EventFileWriter::EndField(char* end) {
  *end++ = '#';
  entry_.Commit(end);
}

inline void EventFileWriter::WriteTextField(std::u16string_view tag, std::u16string_view text, FieldForm form) {
  char* out = BeginField(tag, text.size() * kMaxUtf8PerUnit);
  EndField(PutFieldValueUtf8(out, text, form));
}

// The parts convert as the joined text would, as long as the separator is
// no surrogate: a surrogate beside it has no partner across it either way.
inline void EventFileWriter::WriteJoinedField(std::u16string_view tag, std::u16string_view first, char16_t separator,
                                              std::u16string_view second, FieldForm form) {
  char* out = BeginField(tag, (first.size() + 1 + second.size()) * kMaxUtf8PerUnit);
  out = PutFieldValueUtf8(out, first, form);
  out = PutFieldValueUtf8(out, std::u16string_view(&separator, 1), form);
  EndField(PutFieldValueUtf8(out, second, form));
}

inline void EventFileWriter::WriteHex32Field(std::u16string_view tag, uint32_t value) {
  EndField(PutHexDigits(BeginField(tag, 8), value, 8));
}

inline void EventFileWriter::WriteHex64Field(std::u16string_view tag, uint64_t value) {
  EndField(PutHexDigits(BeginField(tag, 16), value, 16));
}

inline void EventFileWriter::WriteUnsignedField(std::u16string_view tag, uint32_t value) {
  EndField(PutUnsigned(BeginField(tag, kMaxDecimalDigits), value));
}

inline void EventFileWriter::WriteInsertionString(int index, std::u16string_view text, FieldForm form) {
  char* out = entry_.Room(2 + kMaxDecimalDigits + 2 + text.size() * kMaxUtf8PerUnit);
  *out++ = 'I';
  *out++ = 'S';
  out = PutUnsigned(out, static_cast<uint32_t>(index), 2);
  *out++ = '~';
  EndField(PutFieldValueUtf8(out, text, form));
}

}  // namespace cmr
