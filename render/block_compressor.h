// Compresses blocks of entries into a gzip stream on a thread of its own,
// while the caller fills the next block. Three blocks at most exist at a
// time: the one being filled, one waiting, one being compressed; their
// storage goes round and is reused.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include <zlib.h>

#include "render/entry_bytes.h"

namespace cmr {

class BlockCompressor {
 public:
  // Starts the thread (std::system_error when it cannot be started). The
  // stream is the thread's until Finish returns.
  explicit BlockCompressor(gzFile stream);
  // Finishes: never leaves the thread running.
  ~BlockCompressor();
  BlockCompressor(const BlockCompressor&) = delete;
  BlockCompressor& operator=(const BlockCompressor&) = delete;

  // Takes `block` and leaves an empty one in its place, waiting while the
  // block handed before has not been taken up yet. When a block handed
  // before failed, returns that failure and leaves `block` as it was.
  std::exception_ptr Hand(EntryBytes& block);

  // The failure of a block handed before, or null; cheap when there is none.
  std::exception_ptr Failure();

  // Waits until every block handed is compressed (none after a failure) and
  // ends the thread: the stream is the caller's again. The failure, or null.
  std::exception_ptr Finish();

 private:
  void Run();
  void Fail(std::exception_ptr failure);

  gzFile stream_;
  std::mutex mutex_;
  std::condition_variable changed_;
  EntryBytes waiting_;  // under mutex_: a block to compress when hasWaiting_, else an empty one
  bool hasWaiting_ = false;
  bool finishing_ = false;
  std::exception_ptr failure_;  // under mutex_
  std::atomic<bool> failed_{false};
  std::thread thread_;  // last: started once the rest is in place
};

}  // namespace cmr
