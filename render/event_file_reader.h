// Reading event output and description files back: the gzip stream split
// into entries (CR LF), each entry into fields ("#"), each field into tag and
// value at its first "~", carets decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "render/gzip_input.h"

namespace cmr {

struct EventFileField {
  std::u16string tag;
  std::u16string value;  // carets decoded
};
using EventFileEntry = std::vector<EventFileField>;

// The fields of one entry's text (UTF-8, without its CR LF).
EventFileEntry ParseEventFileEntry(std::string_view line);

class EventFileReader {
 public:
  EventFileReader() = default;
  ~EventFileReader();
  EventFileReader(const EventFileReader&) = delete;
  EventFileReader& operator=(const EventFileReader&) = delete;

  // Opens a file by its path on this machine; false with errno set when it
  // cannot be opened.
  bool Open(const std::string& path);

  // The next whole entry. False at the end of the file, or when the file is
  // damaged or cut off: Problem() then tells what was wrong.
  bool Next(EventFileEntry* entry);

  // Entries handed out so far.
  size_t EntriesRead() const { return entries_; }
  // Empty while the file is sound (and after a clean end).
  const std::string& Problem() const { return problem_; }
  // Damage read past: entries longer than kMaxEntryBytes, skipped.
  const std::vector<std::string>& Damage() const { return damage_; }

  static constexpr size_t kMaxEntryBytes = size_t{64} << 20;

 private:
  bool Fill();

  cmr::GzipInput input_;
  bool open_ = false;
  std::string buffer_;
  size_t position_ = 0;
  size_t scanned_ = 0;     // buffer_ before here holds no entry end after position_
  bool skipping_ = false;  // inside an entry over the length cap
  std::vector<std::string> damage_;
  bool atEnd_ = false;
  size_t entries_ = 0;
  std::string problem_;
};

}  // namespace cmr
