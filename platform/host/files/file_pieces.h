// Writes parts of a log file in place, as the event-log services write
// their files: each write is one WriteFile call (and can be made to fail
// like one), so that a test can stop an update after any of its writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace host {

class PieceWriter {
 public:
  // Opens (or creates) the file for writing; Ok() tells whether it is open.
  explicit PieceWriter(const std::string& linuxPath);
  PieceWriter(const PieceWriter&) = delete;
  PieceWriter& operator=(const PieceWriter&) = delete;
  ~PieceWriter();

  bool Ok() const { return ok_; }
  // Writes `bytes` at `offset`; once a write failed, nothing more is written.
  bool Write(uint64_t offset, std::span<const uint8_t> bytes);
  bool Truncate(uint64_t size);
  // Closes the file; true when every write succeeded.
  bool Close();

 private:
  int fd_ = -1;
  bool ok_ = false;
};

}  // namespace host
