#include "render/event_file_reader.h"

#include <algorithm>

#include "base/text.h"
#include "render/field_text.h"

namespace cmr {

namespace {

constexpr unsigned kChunkBytes = 1 << 16;

}  // namespace

EventFileEntry ParseEventFileEntry(std::string_view line) {
  EventFileEntry entry;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find('#', start);
    if (end == std::string_view::npos) end = line.size();
    std::string_view field = line.substr(start, end - start);
    size_t tilde = field.find('~');
    EventFileField parsed;
    parsed.tag = cmr::Utf8ToUtf16(field.substr(0, tilde));
    if (tilde != std::string_view::npos) parsed.value = UnescapeFieldValue(cmr::Utf8ToUtf16(field.substr(tilde + 1)));
    entry.push_back(std::move(parsed));
    start = end + 1;
  }
  return entry;
}

EventFileReader::~EventFileReader() = default;

bool EventFileReader::Open(const std::string& path) {
  buffer_.clear();
  position_ = 0;
  scanned_ = 0;
  skipping_ = false;
  damage_.clear();
  atEnd_ = false;
  entries_ = 0;
  problem_.clear();
  open_ = input_.Open(path);
  return open_;
}

// Reads the next chunk of content; false when nothing more comes.
bool EventFileReader::Fill() {
  if (atEnd_ || !open_) return false;
  buffer_.erase(0, position_);
  position_ = 0;
  size_t old = buffer_.size();
  buffer_.resize(old + kChunkBytes);
  size_t got = input_.Read(buffer_.data() + old, kChunkBytes);
  buffer_.resize(old + got);
  if (got > 0) return true;
  atEnd_ = true;
  problem_ = input_.Problem();
  return false;
}

bool EventFileReader::Next(EventFileEntry* entry) {
  for (;;) {
    // Only bytes not looked at yet are searched (one back, for a CR that
    // ended the last read), so a long entry costs linear time.
    size_t from = std::max(position_, scanned_ > 0 ? scanned_ - 1 : 0);
    size_t end = buffer_.find("\r\n", from);
    if (end != std::string::npos) {
      scanned_ = end + 2;
      if (skipping_) {
        skipping_ = false;
        position_ = end + 2;
        continue;
      }
      *entry = ParseEventFileEntry(std::string_view(buffer_).substr(position_, end - position_));
      position_ = end + 2;
      ++entries_;
      return true;
    }
    scanned_ = buffer_.size();
    if (buffer_.size() - position_ > kMaxEntryBytes && !skipping_) {
      damage_.push_back("entry " + std::to_string(entries_ + 1) + " is longer than " + std::to_string(kMaxEntryBytes) +
                        " bytes, skipped");
      skipping_ = true;
    }
    if (skipping_) position_ = buffer_.size() - (buffer_.empty() || buffer_.back() != '\r' ? 0 : 1);
    size_t before = position_;
    if (!Fill()) break;
    scanned_ -= before;  // Fill dropped the bytes before position_
  }
  if (problem_.empty() && (skipping_ || position_ < buffer_.size())) problem_ = "the last entry has no line end";
  return false;
}

}  // namespace cmr
